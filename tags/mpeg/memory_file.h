// A File over a byte buffer in memory. Lets the readers that take an open
// File run on data that never touched a disk (fuzzing, probing a buffer).
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "platform/file_system.h"

namespace td {

class MemoryFile : public File {
public:
    MemoryFile() = default;
    explicit MemoryFile(std::string data) : own_(std::move(data)) {}
    MemoryFile(const void* data, size_t size) : own_(static_cast<const char*>(data), size) {}
    // A file over `shared`, which must outlive it: what is written shows in
    // `shared`, and several files can be opened on it one after another.
    static std::unique_ptr<MemoryFile> Over(std::string& shared) {
        auto file = std::make_unique<MemoryFile>();
        file->data_ = &shared;
        return file;
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    size_t Read(void* buffer, size_t size) override {
        if (size > largestRead_) largestRead_ = size;
        if (position_ >= data_->size()) return 0;
        size_t count = data_->size() - static_cast<size_t>(position_);
        if (count > size) count = size;
        std::memcpy(buffer, data_->data() + position_, count);
        position_ += count;
        return count;
    }
    size_t Write(const void* buffer, size_t size) override {
        uint64_t end = position_ + size;
        if (end > data_->size()) data_->resize(static_cast<size_t>(end));
        std::memcpy(&(*data_)[static_cast<size_t>(position_)], buffer, size);
        position_ = end;
        return size;
    }
    bool Seek(uint64_t position) override {
        position_ = position;
        return true;
    }
    uint64_t Tell() const override { return position_; }
    bool GetSize(uint64_t& size) override {
        size = data_->size();
        return true;
    }
    bool Truncate(uint64_t size) override {
        data_->resize(static_cast<size_t>(size));
        return true;
    }
    bool Flush() override { return true; }
    bool Close() override { return true; }

    const std::string& Data() const { return *data_; }
    // The largest count any Read asked for (readers must not ask for sizes
    // the data cannot hold).
    size_t largestRead() const { return largestRead_; }

private:
    std::string own_;
    std::string* data_ = &own_;
    uint64_t position_ = 0;
    size_t largestRead_ = 0;
};

}  // namespace td
