#pragma once

namespace spacegauge {

// Opens the command of the settings record as they stand, through the shell. An empty or
// blank command does nothing.
void LaunchCommand();

}  // namespace spacegauge
