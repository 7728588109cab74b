#include "qenproperties/host/sample_panel.h"

namespace Quenneth {
namespace host {

const char* SamplePanelDescription() {
  return R"json({
  "title": "Video export",
  "version": "2",
  "properties": [
    {"name": "Output", "kind": "group", "id": 100, "default": "expanded"},
    {"name": "Title", "kind": "text", "id": 101, "group": "Output", "default": "Untitled",
     "description": "Title written into the file"},
    {"name": "Video", "kind": "group", "id": 200, "default": "expanded"},
    {"name": "Codec", "kind": "ex-enum", "id": 201, "group": "Video", "default": "H.264",
     "description": "Video codec; its data is the highest bitrate it takes (kbit/s)",
     "choices": [{"text": "H.264", "id": 1, "data": 50000}, {"text": "H.265", "id": 2, "data": 40000},
                 {"text": "VP9", "id": 3, "data": 30000}, {"text": "AV1", "id": 4, "data": 25000}],
     "custom": {"text": "Custom", "id": 99, "data": 20000}},
    {"name": "Container", "kind": "enum", "id": 102, "group": "Output", "default": "MP4",
     "choices": [{"text": "MP4", "id": 1}, {"text": "MKV", "id": 2}, {"text": "WebM", "id": 3}]},
    {"name": "Bitrate", "kind": "long", "id": 202, "group": "Video", "min": 500, "max": 100000, "default": 16000,
     "description": "Video bitrate in kbit/s"},
    {"name": "Quality", "kind": "long", "id": 203, "group": "Video", "min": 1, "max": 100, "default": 80},
    {"name": "Frame rate", "kind": "float", "id": 204, "group": "Video", "min": 1, "max": 240, "decimals": 3,
     "default": 30},
    {"name": "Keyframe interval", "kind": "enum-long", "id": 205, "group": "Video", "default": 60,
     "description": "Frames between two keyframes", "choices": [1, 12, 24, 48, 60, 120, 250]},
    {"name": "Aspect ratio", "kind": "ratio", "id": 206, "group": "Video", "default": "16:9",
     "choices": [{"text": "16:9", "id": 1}, {"text": "4:3", "id": 2}, {"text": "21:9", "id": 3},
                 {"text": "1:1", "id": 4}],
     "custom": {"text": "Custom", "id": 99}},
    {"name": "Width", "kind": "long", "id": 207, "group": "Video", "min": 16, "max": 7680, "default": 1920},
    {"name": "Height", "kind": "long", "id": 208, "group": "Video", "min": 16, "max": 4320, "default": 1080},
    {"name": "Audio", "kind": "group", "id": 300, "default": "expanded"},
    {"name": "Include audio", "kind": "bool", "id": 301, "group": "Audio", "default": true},
    {"name": "Audio bitrate", "kind": "enum-long", "id": 302, "group": "Audio", "default": 192,
     "description": "Audio bitrate in kbit/s", "choices": [96, 128, 192, 256, 320]},
    {"name": "Estimate size", "kind": "button", "id": 900, "action": "estimate", "sum": ["Bitrate", "Audio bitrate"]},
    {"name": "Restore defaults", "kind": "button", "id": 901, "action": "reset"}
  ],
  "rules": [
    {"when": "Codec", "cap": "Bitrate"},
    {"when": "Codec", "is": ["H.264", "H.265"], "set": "Container", "to": "MP4", "unless": ["MP4", "MKV"]},
    {"when": "Codec", "is": ["VP9", "AV1"], "set": "Container", "to": "WebM", "unless": ["WebM", "MKV"]},
    {"limit": "Container", "is": ["WebM"], "requires": "Codec", "in": ["VP9", "AV1"]},
    {"keep": "Aspect ratio", "width": "Width", "height": "Height"}
  ]
}
)json";
}

}  // namespace host
}  // namespace Quenneth
