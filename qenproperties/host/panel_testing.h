// panel_testing.h: what the panel tests share (not installed): building a panel that must build, and reading
// every value of one.
#ifndef QENPROPERTIES_HOST_PANEL_TESTING_H_
#define QENPROPERTIES_HOST_PANEL_TESTING_H_

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "qenproperties/host/kinds.h"
#include "qenproperties/host/panel.h"

namespace Quenneth {
namespace host {
namespace test {

// Build builds a panel from a description that must be valid (a failure names the error and the text).
inline std::unique_ptr<Panel> Build(const std::string& text) {
  DocumentError error;
  std::unique_ptr<Panel> panel = Panel::FromJson(text, &error);
  EXPECT_TRUE(panel) << error.Describe("panel") << "\n" << text;
  return panel;
}

// Values gives the value text of every property, in vault order.
inline std::vector<std::string> Values(const Panel& panel) {
  std::vector<std::string> values;
  for (std::size_t i = 0; i < panel.Count(); ++i) values.push_back(ValueText(panel.At(i)));
  return values;
}

}  // namespace test
}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_PANEL_TESTING_H_
