#pragma once
// Text meant for standard output and standard error, kept in the order it
// was written until it is its turn to be shown: the lines of a group built
// beside another, or of points read ahead of the store.
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

namespace kestro {

class TOrderedOutput {
public:
    // One stretch of text written to one of the two streams.
    struct TChunk {
        bool ToErr = false;
        std::string Text;
    };
    using TChunks = std::vector<TChunk>;

    TOrderedOutput();
    ~TOrderedOutput();
    TOrderedOutput(const TOrderedOutput&) = delete;
    TOrderedOutput& operator=(const TOrderedOutput&) = delete;

    // The two streams to write to.
    std::ostream& Out() { return out_; }
    std::ostream& Err() { return err_; }

    bool Empty() const noexcept { return chunks_.empty(); }
    // Everything written so far, leaving this empty.
    TChunks Take();
    // Writes the chunks in order; standard output is flushed before text goes
    // to standard error, and standard error after it, so that where both
    // reach one terminal or file the text comes in the order written.
    static void Show(const TChunks& chunks, std::ostream& out, std::ostream& err);
    // Show(Take(), out, err).
    void ShowOn(std::ostream& out, std::ostream& err) { Show(Take(), out, err); }

private:
    class TBuffer : public std::streambuf {
    public:
        TBuffer(TChunks& chunks, bool toErr) : chunks_(chunks), toErr_(toErr) {}

    protected:
        int_type overflow(int_type c) override;
        std::streamsize xsputn(const char* text, std::streamsize count) override;

    private:
        std::string& Tail();
        TChunks& chunks_;
        bool toErr_;
    };

    TChunks chunks_;
    TBuffer outBuffer_{chunks_, false};
    TBuffer errBuffer_{chunks_, true};
    std::ostream out_{&outBuffer_};
    std::ostream err_{&errBuffer_};
};

}  // namespace kestro
