#pragma once
// Buffered byte sources for the text reader: a file, a caller's stream, or a
// private copy of a string. The reader peeks at the first bytes (signature
// and byte-order mark) and then reads one byte or one block at a time.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

#include "platform/FileRead.h"

namespace kestro {

class TXmlByteInput {
public:
    TXmlByteInput();
    virtual ~TXmlByteInput();
    TXmlByteInput(const TXmlByteInput&) = delete;
    TXmlByteInput& operator=(const TXmlByteInput&) = delete;

    // Up to count bytes; fewer only at the end of the input.
    std::size_t Read(char* target, std::size_t count);
    // The next count bytes (fewer at the end) without consuming them.
    std::string_view Peek(std::size_t count);
    void Skip(std::size_t count);
    // Called after every read from the source with the total read so far.
    void SetOnRead(std::function<void(std::uint64_t)> handler) { OnRead_ = std::move(handler); }

protected:
    // Up to count bytes from the source, 0 at its end; raises on read errors.
    virtual std::size_t ReadSome(char* target, std::size_t count) = 0;

private:
    bool Fill(std::size_t wanted);
    std::size_t ReadCounted(char* target, std::size_t count);

    std::unique_ptr<char[]> Buffer_;
    std::size_t Start_ = 0;
    std::size_t End_ = 0;
    bool Ended_ = false;
    std::uint64_t Total_ = 0;
    std::function<void(std::uint64_t)> OnRead_;
};

// A file opened for reading; EFOpenError when it cannot be opened,
// EReadError when reading fails.
class TXmlFileInput : public TXmlByteInput {
public:
    explicit TXmlFileInput(const std::string& fileName);

protected:
    std::size_t ReadSome(char* target, std::size_t count) override;

private:
    TInputFile File_;
};

// A caller's stream, read from its current position.
class TXmlStreamInput : public TXmlByteInput {
public:
    explicit TXmlStreamInput(std::istream& stream) : Stream_(stream) {}

protected:
    std::size_t ReadSome(char* target, std::size_t count) override;

private:
    std::istream& Stream_;
};

// A private copy of text held in a string.
class TXmlMemoryInput : public TXmlByteInput {
public:
    explicit TXmlMemoryInput(std::string_view text) : Text_(text) {}

protected:
    std::size_t ReadSome(char* target, std::size_t count) override;

private:
    std::string Text_;
    std::size_t Position_ = 0;
};

}  // namespace kestro
