// Feeds arbitrary bytes as a settings file: restoring must neither crash nor hang, and a value
// written afterwards must read back while the rest of the file keeps its bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/text.h"
#include "settings/control_states.h"
#include "settings/profile_file.h"
#include "tests/settings/fake_control_host.h"

using namespace suantiji;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ProfileFile profile = ProfileFile::FromBytes(bytes);
    if (profile.Bytes() != bytes) std::abort();

    FakeControlHost host = FakeControlHost::MainWindowDefaults();
    host.AddRadioButton("单选框_甲", false);
    RestoreControlStates(host, profile);
    if (profile.ReadValue("编辑框", "编辑框_数字范围").size() > 3 * ProfileFile::kMaxValueBytes) {
        std::abort();
    }

    SaveControlStates(host, profile);
    profile.WriteValue("组合框", "Fuzz_Key", "x\r\ny");
    if (profile.ReadValue("组合框", "fuzz_key") != "x  y") std::abort();

    const ProfileFile reread = ProfileFile::FromBytes(profile.Bytes());
    if (reread.ReadValue("组合框", "FUZZ_KEY") != "x  y") std::abort();
    if (reread.ReadValue("选择框", "选择框_加") != BoolToText(host.IsChecked("选择框_加"))) {
        std::abort();
    }
    return 0;
}
