#include <qenproperties/qenproperties.h>

#include <cstdio>
#include <vector>

using namespace Quenneth;

int main() {
  auto volume = QRef<CQLongProperty>::Adopt(
      new CQLongProperty("Volume", "Output volume", 1, 100, kDataTypeUInt32, 50, 50, 1, 100, nullptr, nullptr));
  if (volume->SetCurValue(75) != kResultOk) return 1;
  if (volume->SetCurValue(101) != kResultOutOfRange) return 1;
  ULONG length = 0;
  volume->GetPropertyDataToSave(nullptr, &length);
  std::vector<WCHAR> text(length + 1);
  volume->GetPropertyDataToSave(text.data(), &length);
  if (length != 2 || text[0] != '7' || text[1] != '5') return 1;
  std::printf("consumer ok: %s\n", ResultName(kResultOk));
  return 0;
}
