#include "tavrix/sheet/csv_sheet.h"

#include <csv.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "tavrix/numeric/number_text.h"
#include "tavrix/sheet/file_replace.h"
#include "tavrix/sheet/layout.h"

namespace tavrix {
namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

std::string Describe(const std::string& what, const std::string& path) {
  return what + " '" + path + "': " + std::strerror(errno);
}

// An unquoted field that is a number in the file's own notation.
CellContent FieldContent(std::string_view field, bool quoted) {
  if (field.empty()) return CellContent();
  if (!quoted && IsNumericText(field, false))
    return CellContent::Number(*TextToDouble(field, false));
  return CellContent::Text(std::string(field));
}

std::string NumberField(double x) {
  char text[64];
  const auto end = std::to_chars(text, text + sizeof text, x).ptr;  // shortest round trip
  return std::string(text, end);
}

std::string TextField(const std::string& text) {
  const bool plain = !text.empty() && text.find_first_of(",\"\r\n") == std::string::npos &&
                     text.front() != ' ' && text.back() != ' ' && !IsNumericText(text, false);
  if (plain) return text;
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::string Field(const CellContent& content) {
  if (content.IsEmpty()) return "";
  return content.IsNumber() ? NumberField(content.number()) : TextField(content.text());
}

// The line (1-based) of a byte of the text; CR LF, LF and CR each end a line.
int LineOf(const std::string& text, std::size_t offset) {
  int line = 1;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) {
      ++line;
    }
  }
  return line;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) throw HostError(Describe("could not open", path));
  const std::streamoff size = file.tellg();
  std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  file.seekg(0);
  if (!file.read(text.data(), static_cast<std::streamsize>(text.size())))
    throw HostError(Describe("could not read", path));
  return text;
}

// The parser is fed one byte at a time, so that when it hands over a field
// the offset of the byte that ended it is known: the field's text as it
// stands in the file, and whether it began with a quote (the parser keeps
// that to itself).
struct LoadState {
  const std::string* text = nullptr;
  MemoryGrid* grid = nullptr;
  std::vector<std::string> fields;  // of the row being read
  std::vector<CellContent> read;
  std::size_t offset = 0;      // the byte being parsed
  std::size_t fieldStart = 0;  // where the current field began
  int lastEnd = 0;             // the character that ended the previous record
  bool fieldSinceEnd = false;
  bool done = false;         // the row that ends what a data sheet can use is read
  std::size_t restFrom = 0;  // where the unread rest begins
  struct Row {
    std::vector<std::string> fields;
    std::vector<CellContent> read;
    std::string end;
  };
  std::vector<Row> rows;
};

bool BeganWithQuote(const LoadState& s) {
  std::size_t i = s.fieldStart;
  while (i < s.offset && ((*s.text)[i] == ' ' || (*s.text)[i] == '\t')) ++i;
  return i < s.offset && (*s.text)[i] == '"';
}

void OnField(void* data, std::size_t length, void* state) {
  auto& s = *static_cast<LoadState*>(state);
  const std::size_t end = std::min(s.offset, s.text->size());
  const CellContent content = FieldContent(
      std::string_view(static_cast<const char*>(data), data ? length : 0), BeganWithQuote(s));
  const int row = static_cast<int>(s.rows.size()) + 1;
  if (!content.IsEmpty()) s.grid->Put(row, static_cast<int>(s.fields.size()) + 1, content);
  s.fields.push_back(s.text->substr(s.fieldStart, end - s.fieldStart));
  s.read.push_back(content);
  s.fieldSinceEnd = true;
  s.fieldStart = s.offset + 1;
}

// Every line break ends a row, so that empty lines keep their row; the LF
// of a CR LF pair ends nothing more.
void OnRecordEnd(int c, void* state) {
  auto& s = *static_cast<LoadState*>(state);
  const bool secondHalfOfCrLf = c == CSV_LF && s.lastEnd == CSV_CR && !s.fieldSinceEnd;
  s.lastEnd = c;
  s.fieldSinceEnd = false;
  s.fieldStart = s.offset + 1;
  if (secondHalfOfCrLf) return;

  const std::string& text = *s.text;
  std::string end;
  if (c == CSV_CR) end = s.offset + 1 < text.size() && text[s.offset + 1] == '\n' ? "\r\n" : "\r";
  if (c == CSV_LF) end = "\n";
  s.rows.push_back({std::move(s.fields), std::move(s.read), end});
  s.fields.clear();
  s.read.clear();

  // The point table ends at the first row without a temperature; nothing
  // below it, nor below the last row a data sheet can use, is read.
  const int row = static_cast<int>(s.rows.size());
  const bool tableEnds =
      row >= layout::kFirstPointRow && s.grid->At(row, layout::kColA).content.IsEmpty();
  if (c != -1 && (tableEnds || row >= layout::kLastUsableRow)) {
    s.done = true;
    s.restFrom = s.offset + end.size();
  }
}

HostError NotCsv(const std::string& path, int line, const std::string& what) {
  return HostError(std::filesystem::path(path).filename().string() + ": line " +
                   std::to_string(line) + ": " + what);
}

}  // namespace

CsvSheet::CsvSheet(const MemoryGrid& grid) : MemoryGrid(grid) {}

CsvSheet LoadCsvSheet(const std::string& path, bool decimalComma) {
  std::string text = ReadWholeFile(path);
  CsvSheet sheet{MemoryGrid(decimalComma)};
  if (text.rfind(kByteOrderMark, 0) == 0) {
    sheet.bom_ = kByteOrderMark;
    text.erase(0, sheet.bom_.size());
  }

  csv_parser parser;
  if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI | CSV_APPEND_NULL | CSV_REPALL_NL) != 0)
    throw HostError("could not start the CSV reader");
  const std::unique_ptr<csv_parser, void (*)(csv_parser*)> guard(&parser, csv_free);

  LoadState state;
  state.text = &text;
  state.grid = &sheet;
  const auto unterminated = [&] {
    return NotCsv(path, LineOf(text, state.fieldStart), "unterminated quoted field");
  };
  for (; state.offset < text.size() && !state.done; ++state.offset) {
    if (csv_parse(&parser, &text[state.offset], 1, OnField, OnRecordEnd, &state) != 1) {
      if (csv_error(&parser) != CSV_EPARSE) throw HostError("could not read '" + path + "'");
      if (BeganWithQuote(state)) throw unterminated();
      throw NotCsv(path, LineOf(text, state.offset),
                   "a quote inside a field that does not begin with one (quote the whole field)");
    }
  }
  if (!state.done) {
    state.offset = text.size();
    if (csv_fini(&parser, OnField, OnRecordEnd, &state) != 0) throw unterminated();
    state.restFrom = text.size();
  }

  for (auto& row : state.rows) {
    sheet.lines_.push_back({std::move(row.fields), std::move(row.read), std::move(row.end)});
  }
  if (!sheet.lines_.empty() && !sheet.lines_.front().end.empty()) {
    sheet.newline_ = sheet.lines_.front().end;
  }
  text.erase(0, std::min(state.restFrom, text.size()));  // no second copy of a large file
  sheet.rest_ = std::move(text);
  return sheet;
}

std::string CsvSheet::RenderLine(int row, const Line* line) const {
  const std::size_t known = line ? line->fields.size() : 0;
  const std::size_t columns =
      std::max<std::size_t>(known, static_cast<std::size_t>(ColumnCount(row)));
  const auto readAs = [&](std::size_t c) {  // 0-based column
    return c < known ? line->read[c] : CellContent();
  };
  bool changed = false;
  for (std::size_t c = 0; c < columns && !changed; ++c) {
    changed = At(row, static_cast<int>(c) + 1).content != readAs(c);
  }

  std::vector<std::string> fields;
  for (std::size_t c = 0; c < columns; ++c) {
    const CellContent& content = At(row, static_cast<int>(c) + 1).content;
    const bool asItStands = c < known && (!changed || content == readAs(c));
    fields.push_back(asItStands ? line->fields[c] : Field(content));
  }
  // A new row, or cells emptied at its end: no empty fields after the last.
  while (fields.size() > known && !fields.empty() && fields.back().empty()) fields.pop_back();

  std::string out;
  for (std::size_t c = 0; c < fields.size(); ++c) out += (c > 0 ? "," : "") + fields[c];
  return out;
}

std::string CsvSheet::Text() const {
  std::string out = bom_;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    out += RenderLine(static_cast<int>(i) + 1, &lines_[i]) + lines_[i].end;
  }
  // Rows the file did not have, up to the last one with content; the last
  // line read then needs its line end.
  bool lineOpen = !lines_.empty() && lines_.back().end.empty();
  std::string pending;
  for (int row = static_cast<int>(lines_.size()) + 1; row <= RowCount(); ++row) {
    const std::string line = RenderLine(row, nullptr);
    pending += line + newline_;
    if (line.empty()) continue;
    if (lineOpen) out += newline_;
    lineOpen = false;
    out += pending;
    pending.clear();
  }
  return out + rest_;
}

void SaveCsvSheet(const CsvSheet& sheet, const std::string& path) {
  const std::string text = sheet.Text();
  ReplaceFile(path, [&](const std::string& temporary) {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    file.flush();
    if (!file) throw HostError(Describe("could not save", path));
  });
}

}  // namespace tavrix
