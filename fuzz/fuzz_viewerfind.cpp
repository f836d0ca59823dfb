// Find against std::search: the input is the needle (up to a NUL, at most 16 bytes) then the
// file; every start, both ways, with and without case, in hex mode (bytes searched whole).
#include <QByteArray>
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "ViewerInput.h"
#include "viewer/FileViewModel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype nul = input.indexOf('\0');
    if (nul <= 0 || nul > 16) return 0;
    const QByteArray needle = input.left(nul);
    FuzzOpener opener;
    opener.bytes = input.mid(nul + 1).repeated(3);
    const QByteArray& hay = opener.bytes;
    rk::FileViewModel model(opener);
    model.open("f");
    model.setPageCount(2);
    for (const bool matchCase : {true, false}) {
        const auto fold = [&](char c) { return matchCase ? c : rk::foldAscii(c); };
        const auto same = [&](char a, char b) { return fold(a) == fold(b); };
        const std::int64_t step = std::max<std::int64_t>(1, hay.size() / 7);
        for (std::int64_t from = 0; from <= hay.size(); from += step) {
            const auto f =
                std::search(hay.begin() + from, hay.end(), needle.begin(), needle.end(), same);
            const std::int64_t expectForward = f == hay.end() ? -1 : f - hay.begin();
            FUZZ_CHECK(model.findBytes(needle, from, false, matchCase) == expectForward);
            std::int64_t expectBack = -1;
            for (std::int64_t s = std::min<std::int64_t>(from - 1, hay.size() - needle.size());
                 s >= 0; --s)
                if (std::equal(needle.begin(), needle.end(), hay.begin() + s, same)) {
                    expectBack = s;
                    break;
                }
            FUZZ_CHECK(model.findBytes(needle, from, true, matchCase) == expectBack);
        }
    }
    return 0;
}
