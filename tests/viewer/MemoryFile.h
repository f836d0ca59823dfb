#pragma once

#include <QByteArray>
#include <QHash>
#include <algorithm>
#include <cerrno>
#include <memory>

#include "viewer/ViewerFile.h"

namespace rk::test {

// A file in memory that can be made to read short, fail or change while it is viewed.
struct MemoryFileState {
    QByteArray bytes;
    std::int64_t modified = 1;
    int failAfterReads = -1;  // the read that fails, counted from 0; -1 for none
    int error = EIO;
    std::int64_t maxRead = -1;  // a read returns at most this many bytes (then counts as the end)
    int shrinkAtRead = -1;      // the read before which the file is cut to shrinkTo bytes
    qsizetype shrinkTo = 0;
    int reads = 0;
};

class MemoryFile : public ViewedFile {
public:
    explicit MemoryFile(std::shared_ptr<MemoryFileState> state) : state_(std::move(state)) {}
    std::int64_t readAt(std::int64_t offset, char* buffer, std::int64_t length) override {
        if (state_->failAfterReads >= 0 && state_->reads >= state_->failAfterReads)
            return -state_->error;
        if (state_->reads == state_->shrinkAtRead) {
            state_->bytes.truncate(state_->shrinkTo);
            ++state_->modified;
        }
        ++state_->reads;
        if (state_->maxRead >= 0) length = std::min(length, state_->maxRead);
        if (offset >= state_->bytes.size()) return 0;
        const std::int64_t n = std::min<std::int64_t>(length, state_->bytes.size() - offset);
        std::copy_n(state_->bytes.constData() + offset, n, buffer);
        return n;
    }
    int status(ViewedFileStatus& s) override {
        s.size = state_->bytes.size();
        s.modifiedNs = state_->modified;
        return 0;
    }

private:
    std::shared_ptr<MemoryFileState> state_;
};

// Opens the files it was given by name; any other name is not found.
class MemoryOpener : public ViewedFileOpener {
public:
    std::shared_ptr<MemoryFileState> add(const QByteArray& name, QByteArray bytes) {
        auto state = std::make_shared<MemoryFileState>();
        state->bytes = std::move(bytes);
        files.insert(name, state);
        return state;
    }
    std::unique_ptr<ViewedFile> open(const QByteArray& path, int& error) const override {
        const auto it = files.constFind(path);
        if (it == files.constEnd()) {
            error = ENOENT;
            return nullptr;
        }
        error = 0;
        return std::make_unique<MemoryFile>(*it);
    }
    QHash<QByteArray, std::shared_ptr<MemoryFileState>> files;
};

}  // namespace rk::test
