// The page cache over a reader that shrinks, fails or reads short on the input's schedule
// (its first 16 bytes): every byte it gives is the file's byte at that place, never a zero
// it made up, and it never gives a byte past the file's end.
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "ViewerInput.h"
#include "common/Errors.h"
#include "viewer/PageCache.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 17) return 0;
    FuzzFile file;
    file.schedule = QByteArray(reinterpret_cast<const char*>(data), 16);
    // Each byte of the file tells its own offset, so a byte from the wrong place shows.
    const std::int64_t length = std::int64_t(data[16]) * 97 + qsizetype(size);
    for (std::int64_t i = 0; i < length; ++i)
        file.bytes.append(char(i % 251 + 1));
    rk::PageCache cache(int(data[size - 1] % 5));
    cache.attach(&file);
    for (std::size_t k = 17; k < size; ++k) {
        const std::int64_t offset = std::int64_t(data[k]) * 131 + std::int64_t(k) * 7;
        try {
            const int ahead = int(data[k] % 5) - 2;
            const rk::PageCache::Span s = cache.spanAt(offset, ahead);
            FUZZ_CHECK(cache.size() <= length);
            if (s.length == 0) continue;
            FUZZ_CHECK(s.start <= offset && offset < s.end() && s.end() <= cache.size());
            for (std::int64_t i = 0; i < s.length; ++i)
                FUZZ_CHECK(s.data[i] == char((s.start + i) % 251 + 1));
        } catch (const rk::ViewerError& e) {
            FUZZ_CHECK(e.errorNumber() == EIO);
        }
    }
    return 0;
}
