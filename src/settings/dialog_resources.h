#pragma once
// Resource ids of the settings dialog; read by the resource compiler too.

// Not 1 or 2: the loader reads those itself, and the plug-in must not change how it loads.
#define SPACEGAUGE_DIALOG_MANIFEST_ID 101
