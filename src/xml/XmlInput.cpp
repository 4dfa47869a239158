#include "xml/XmlInput.h"

#include <algorithm>
#include <cstring>
#include <istream>

#include "diag/Exceptions.h"

namespace kestro {

namespace {
constexpr std::size_t BufferSize = 65536;
}  // namespace

TXmlByteInput::TXmlByteInput() : Buffer_(std::make_unique<char[]>(BufferSize)) {}

TXmlByteInput::~TXmlByteInput() = default;

std::size_t TXmlByteInput::ReadCounted(char* target, std::size_t count) {
    const std::size_t got = ReadSome(target, count);
    Total_ += got;
    if (OnRead_ && got > 0) OnRead_(Total_);
    return got;
}

bool TXmlByteInput::Fill(std::size_t wanted) {
    if (End_ - Start_ >= wanted) return true;
    if (Start_ > 0) {
        std::memmove(Buffer_.get(), Buffer_.get() + Start_, End_ - Start_);
        End_ -= Start_;
        Start_ = 0;
    }
    while (!Ended_ && End_ < wanted) {
        std::size_t got = ReadCounted(Buffer_.get() + End_, BufferSize - End_);
        if (got == 0) Ended_ = true;
        End_ += got;
    }
    return End_ - Start_ >= wanted;
}

std::size_t TXmlByteInput::Read(char* target, std::size_t count) {
    std::size_t done = std::min(count, End_ - Start_);
    std::memcpy(target, Buffer_.get() + Start_, done);
    Start_ += done;
    while (done < count && !Ended_) {
        if (count - done >= BufferSize) {
            // Large reads go straight to the caller's memory.
            std::size_t got = ReadCounted(target + done, count - done);
            if (got == 0) Ended_ = true;
            done += got;
        } else {
            Fill(1);
            std::size_t part = std::min(count - done, End_ - Start_);
            std::memcpy(target + done, Buffer_.get() + Start_, part);
            Start_ += part;
            done += part;
        }
    }
    return done;
}

std::string_view TXmlByteInput::Peek(std::size_t count) {
    Fill(std::min(count, BufferSize));
    return {Buffer_.get() + Start_, std::min(count, End_ - Start_)};
}

void TXmlByteInput::Skip(std::size_t count) {
    Fill(std::min(count, BufferSize));
    Start_ += std::min(count, End_ - Start_);
}

// Messages name the file as the caller gave it; a folder opens and fails at
// the first read.
TXmlFileInput::TXmlFileInput(const std::string& fileName)
    : File_(fileName, TInputOptions{.FullPath = false, .FolderOpens = true}) {}

std::size_t TXmlFileInput::ReadSome(char* target, std::size_t count) { return File_.ReadNext(target, count); }

std::size_t TXmlStreamInput::ReadSome(char* target, std::size_t count) {
    if (!Stream_.good()) return 0;
    Stream_.read(target, static_cast<std::streamsize>(count));
    if (Stream_.bad()) throw EReadError("Stream read error");
    return static_cast<std::size_t>(Stream_.gcount());
}

std::size_t TXmlMemoryInput::ReadSome(char* target, std::size_t count) {
    std::size_t part = std::min(count, Text_.size() - Position_);
    std::memcpy(target, Text_.data() + Position_, part);
    Position_ += part;
    return part;
}

}  // namespace kestro
