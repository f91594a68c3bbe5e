#include "label/expand_label.h"

#include "label/disk_query.h"
#include "label/label_template.h"

namespace spacegauge {

std::string ExpandLabel(const std::string& templ, char drive) {
    const std::string drivePath = std::string(1, drive) + ":\\";
    DiskFigures figures;  // a failed query leaves both at zero
    QueryDiskSpace(drivePath, figures.total, figures.free);
    return ExpandTemplate(templ, figures, DecimalSeparator());
}

}  // namespace spacegauge
