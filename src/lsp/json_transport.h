// The framing of the protocol's messages on a byte stream, and nothing of what they mean: each
// message is a header of "Name: value" lines, each ended by CR LF, then an empty line, then exactly
// Content-Length bytes of body (JSON, which this layer does not read). Header names are matched
// with letter case ignored; every header but Content-Length is passed over. A header without a
// Content-Length, or with one that is not a decimal number, is a frame that cannot be read: its
// body cannot be found, so the reader skips to the next header that can be read. A body is taken
// in blocks as it arrives, so a Content-Length larger than what follows costs no more memory than
// what does follow; a body that memory cannot hold is read to its end and dropped. A header line
// keeps its first 1,024 bytes, enough for any header this layer reads.
#ifndef KVR_LSP_JSON_TRANSPORT_H_
#define KVR_LSP_JSON_TRANSPORT_H_

#include <istream>
#include <ostream>
#include <string>
#include <string_view>

namespace kvr::lsp {

enum class FrameStatus {
  kMessage,    // `body` holds one message
  kBadHeader,  // a header without a usable Content-Length was passed over
  kTooLarge,   // a body that memory could not hold was passed over
  kEnd,        // the stream ended (a message cut short by the end is dropped)
};

// Reads the next frame.
FrameStatus read_frame(std::istream& in, std::string& body);

// Writes one message with its header and flushes; false when the stream fails.
bool write_frame(std::ostream& out, std::string_view body);

}  // namespace kvr::lsp

#endif  // KVR_LSP_JSON_TRANSPORT_H_
