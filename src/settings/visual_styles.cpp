#include "settings/visual_styles.h"

#include "settings/dialog_handles.h"
#include "settings/dialog_resources.h"
#include "settings/this_module.h"

namespace spacegauge {
namespace {

ScopedActCtx CreateContext() {
    ACTCTXW request{};
    request.cbSize = sizeof(request);
    request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.hModule = ThisModule();
    request.lpResourceName = MAKEINTRESOURCEW(SPACEGAUGE_DIALOG_MANIFEST_ID);
    const HANDLE context = CreateActCtxW(&request);
    return ScopedActCtx(context == INVALID_HANDLE_VALUE ? nullptr : context);
}

}  // namespace

HANDLE VisualStylesContext() {
    // Kept until the module unloads: the controls stay bound to the version they were made with.
    static const ScopedActCtx context = CreateContext();
    return context.get();
}

}  // namespace spacegauge
