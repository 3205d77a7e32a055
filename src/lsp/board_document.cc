#include "lsp/board_document.h"

#include "base/ascii.h"
#include "database/format.h"

namespace kvr::lsp {
namespace {

// What --check says of a text that it does not read as a board configuration file, told from its
// first bytes as kvrbuild tells a file's kind; nothing for a board configuration file.
std::optional<kvr::Diagnostic> refusal_of(std::string_view text) {
  using namespace format;
  constexpr const char* kWhat = "not recognised as a board configuration file or a board database";
  kvr::Diagnostic refusal;
  const auto word_at = [&](std::size_t offset) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data() + offset);
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t{bytes[3]} << 24;
  };
  Status status = kStatusOk;
  if (text.size() < kLabelLength) {
    refusal.message = std::string(kWhat) + ": it holds " + std::to_string(text.size()) +
                      (text.size() == 1 ? " byte" : " bytes") +
                      ", and a board file is recognised by its first 8 (a version 2 file begins "
                      "with the label `;CFG-2.0' or `;DAT-2.0')";
    return refusal;
  }
  if (equal_nocase_n(text.data(), kDatabaseLabel, kLabelLength) == 0) {
    status = text.size() < kLabelLength + kWordBytes ? kStatusReadFailed
             : tag_of(word_at(kLabelLength)) != 2    ? kStatusDatabaseNotVersion2
                                                     : kStatusOk;
  } else if (equal_nocase_n(text.data(), kConfigLabel, kLabelLength) == 0 ||
             tag_of(word_at(0)) != 1) {
    return std::nullopt;
  }
  if (status == kStatusOk) {
    refusal.message = "a board database, where --check reads a board configuration file";
    return refusal;
  }
  refusal.status = status;
  refusal.message = std::string(kWhat) + ": " + title_of_status(status);
  refusal.explanation = explanation_of_status(status);
  return refusal;
}

}  // namespace

void set_document_text(BoardDocument& document, std::string text, const CheckSettings& settings) {
  document.device_of_statement.clear();
  document.linker_of_device.clear();
  std::optional<kvr::Diagnostic> refusal = refusal_of(text);
  document.configuration = !refusal;
  if (refusal) {
    document.analysis = BoardAnalysis{};
    document.analysis.name = document.uri;
    document.analysis.text = std::move(text);
    document.analysis.diagnostics.push_back(std::move(*refusal));
    document.analysis.failed = true;
  } else {
    document.analysis = analyse_board_text(document.uri, text, settings);
    std::string().swap(text);
  }
  document.lines = ClientLines(document.analysis.text);
  document.device_of_statement.assign(document.statements().size(), kNoIndex);
  for (std::size_t d = 0; d < document.analysis.devices.size(); ++d) {
    const std::size_t statement = document.analysis.devices[d].statement;
    if (statement < document.device_of_statement.size())
      document.device_of_statement[statement] = d;
  }
  document.linker_of_device.assign(document.analysis.devices.size(), kNoIndex);
  for (std::size_t l = 0; l < document.analysis.linkers.size(); ++l) {
    document.linker_of_device[document.analysis.linkers[l].device] = l;
  }
}

std::size_t token_touching(const BoardDocument& document, std::size_t offset) {
  const std::vector<BoardToken>& tokens = document.tokens();
  const std::size_t found = token_at_offset(document.analysis.tokens, offset);
  if (found < tokens.size() && tokens[found].offset <= offset) return found;
  if (found > 0 && tokens[found - 1].offset + tokens[found - 1].length == offset) return found - 1;
  return kNoIndex;
}

StatementTokens statement_tokens(const BoardDocument& document, std::size_t statement) {
  StatementTokens parts;
  if (statement >= document.statements().size()) return parts;
  const BoardStatement& s = document.statements()[statement];
  if (s.first_token >= s.end_token) return parts;
  parts.name = s.first_token;
  for (std::size_t t = s.first_token + 1; t < s.end_token; ++t) {
    if (document.tokens()[t].kind == TokenKind::kComment) continue;
    if (document.analysis.tokens.statement_of[t] == statement) parts.second = t;
    break;
  }
  return parts;
}

std::size_t statement_of_token(const BoardDocument& document, std::size_t token) {
  const std::vector<std::size_t>& of = document.analysis.tokens.statement_of;
  return token < of.size() ? of[token] : kNoIndex;
}

std::string_view name_in_token(const BoardDocument& document, std::size_t token) {
  std::string_view name = token_text(document.text(), document.tokens()[token]);
  if (name.empty()) return name;
  const char close = name.front() == '[' ? ']' : '"';
  name.remove_prefix(1);
  if (!name.empty() && name.back() == close) name.remove_suffix(1);
  return name;
}

const AnalysedDevice* device_of(const BoardDocument& document, std::size_t statement) {
  if (statement >= document.device_of_statement.size()) return nullptr;
  const std::size_t device = document.device_of_statement[statement];
  return device == kNoIndex ? nullptr : &document.analysis.devices[device];
}

const AnalysedLinker* linker_of(const BoardDocument& document, std::size_t device) {
  if (device >= document.linker_of_device.size()) return nullptr;
  const std::size_t linker = document.linker_of_device[device];
  return linker == kNoIndex ? nullptr : &document.analysis.linkers[linker];
}

}  // namespace kvr::lsp
