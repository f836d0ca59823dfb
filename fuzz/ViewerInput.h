#pragma once

#include <QByteArray>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <memory>

#include "viewer/ViewerFile.h"

// A file in memory for the viewer targets: its reads may be cut short, fail, or find the file
// shrunk, on the schedule the input gives.
struct FuzzFile : rk::ViewedFile {
    QByteArray bytes;
    QByteArray schedule;  // one byte per read: what that read does
    int reads = 0;
    std::int64_t modified = 0;

    std::int64_t readAt(std::int64_t offset, char* buffer, std::int64_t length) override {
        const int what = reads < schedule.size() ? static_cast<unsigned char>(schedule[reads]) : 0;
        ++reads;
        if (what == 1) return -EIO;
        if (what >= 2 && what < 64) {
            // The file shrinks before this read.
            bytes.truncate(bytes.size() * (what - 2) / 62);
            ++modified;
        }
        if (what >= 64 && what < 128) length = std::min<std::int64_t>(length, what - 64);
        if (offset >= bytes.size()) return 0;
        const std::int64_t n = std::min<std::int64_t>(length, bytes.size() - offset);
        std::copy_n(bytes.constData() + offset, n, buffer);
        return n;
    }
    int status(rk::ViewedFileStatus& s) override {
        s.size = bytes.size();
        s.modifiedNs = modified;
        return 0;
    }
};

struct FuzzOpener : rk::ViewedFileOpener {
    QByteArray bytes;
    std::unique_ptr<rk::ViewedFile> open(const QByteArray&, int& error) const override {
        error = 0;
        auto f = std::make_unique<FuzzFile>();
        f->bytes = bytes;
        return f;
    }
};
