// sample_panel.h: the built-in sample panel, video export settings, as a panel description (see panel.h).
//
// It uses every property class and shows the change protocol at work: choosing a codec lowers the bitrate to
// the codec's cap (the codec's sub data) and moves the container to one that can hold it; a bitrate above the
// codec's cap, or the WebM container with a codec it cannot hold, is refused; width, height and the aspect
// ratio keep each other in line.
#ifndef QENPROPERTIES_HOST_SAMPLE_PANEL_H_
#define QENPROPERTIES_HOST_SAMPLE_PANEL_H_

#include "qenproperties/host/host_export.h"

namespace Quenneth {
namespace host {

// SamplePanelDescription gives the JSON text (static storage).
QEN_HOST_API const char* SamplePanelDescription();

}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_SAMPLE_PANEL_H_
