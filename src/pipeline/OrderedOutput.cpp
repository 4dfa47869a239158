#include "pipeline/OrderedOutput.h"

namespace kestro {

TOrderedOutput::TOrderedOutput() = default;
TOrderedOutput::~TOrderedOutput() = default;

TOrderedOutput::TChunks TOrderedOutput::Take() {
    TChunks taken = std::move(chunks_);
    chunks_.clear();
    return taken;
}

void TOrderedOutput::Show(const TChunks& chunks, std::ostream& out, std::ostream& err) {
    for (const TChunk& chunk : chunks) {
        if (chunk.ToErr) {
            out.flush();
            err << chunk.Text << std::flush;
        } else {
            out << chunk.Text;
        }
    }
}

std::string& TOrderedOutput::TBuffer::Tail() {
    if (chunks_.empty() || chunks_.back().ToErr != toErr_) chunks_.push_back(TChunk{toErr_, std::string()});
    return chunks_.back().Text;
}

TOrderedOutput::TBuffer::int_type TOrderedOutput::TBuffer::overflow(int_type c) {
    if (!traits_type::eq_int_type(c, traits_type::eof())) Tail() += traits_type::to_char_type(c);
    return traits_type::not_eof(c);
}

std::streamsize TOrderedOutput::TBuffer::xsputn(const char* text, std::streamsize count) {
    if (count > 0) Tail().append(text, static_cast<std::size_t>(count));
    return count;
}

}  // namespace kestro
