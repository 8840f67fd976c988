#pragma once
// A dialog template of the resource module as the in-memory DLGTEMPLATEEX that
// CreateDialogIndirectParam takes: positions stay in dialog units, so the system lays the
// dialog out with its own font metrics. The dialog is made hidden and centred; it is shown
// once its model has been initialised.

#include "platform/ui/Resources.h"

#include <cstdint>
#include <vector>

namespace orxwin {

std::vector<std::uint16_t> BuildDialogTemplate(const CDialogTemplate& dialog);

} // namespace orxwin
