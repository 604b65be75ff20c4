// fuzz/fuzz_caption_profile.cpp
// A stored design or preset file: any bytes give a design within its ranges
// (or a refused preset), and a design read back from what it writes is the
// same design.
#include "caption/caption_profile.h"
#include "export/preset_store.h"
#include "platform/profile_store.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

std::string scratch(const char *what)
{
    const char *tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/fuzz_caption_profile-" + what + "-" +
           std::to_string(::getpid()) + ".ini";
}

void writeText(const std::string &path, const std::string &text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

void checkRanges(const CaptionSettings &c)
{
    const CaptionOffsets &o = c.offsets;
    if (c.anchor < 0 || c.anchor > 3 || c.align < 0 || c.align > 2 || !std::isfinite(o.left) ||
        !std::isfinite(o.top) || !std::isfinite(o.right) || !std::isfinite(o.bottom) ||
        c.style.backOpacity < 0 || c.style.backOpacity > 100 || c.style.logoOpacity < 0 ||
        c.style.logoOpacity > 100 || !(c.style.padding >= 0) || !(c.style.referenceSide >= 0) ||
        c.text.size() > kMaxCaptionTextLength)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const std::string input = scratch("in"), again = scratch("again");
    writeText(input, std::string(reinterpret_cast<const char *>(data), size));

    const CaptionSettings base;
    const CaptionSettings read = loadCaptionProfile(ProfileStore(input), base);
    checkRanges(read);

    // What the design writes reads back as the same design.
    std::string section = "[Caption]\n";
    for (const auto &[key, value] : captionProfileEntries(read))
        section += key + "=" + value + "\n";
    writeText(again, section);
    std::vector<std::string> problems;
    const CaptionSettings back = loadCaptionProfile(ProfileStore(again), CaptionSettings{}, &problems);
    if (!problems.empty() || captionProfileEntries(back) != captionProfileEntries(read))
        __builtin_trap();

    JobPreset preset;
    if (PresetStore::LoadFile(input, base, preset).empty())
        checkRanges(preset.caption);
    return 0;
}
