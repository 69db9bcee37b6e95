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
#include "text_encoding.h"

namespace tavrix {
namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";  // U+FEFF, in whatever encoding the file has

std::string Describe(const std::string& what, const std::string& path) {
  return what + " '" + path + "': " + std::strerror(errno);
}

std::string FileName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

// A field that is a number in the file's own notation is a number, unless
// it is quoted: a quoted field stays text. Where the file must quote its
// numbers (',' between fields and a decimal comma), it is a number too.
CellContent FieldContent(const std::string& field, bool quoted, const CsvDialect& dialect) {
  if (field.empty()) return CellContent();
  const bool numbersQuoted = dialect.separator == ',' && dialect.decimalComma;
  if ((!quoted || numbersQuoted) && IsNumericText(field, dialect.decimalComma))
    return CellContent::Number(*TextToDouble(field, dialect.decimalComma));
  return CellContent::Text(field);
}

std::string NumberField(double x, const CsvDialect& dialect) {
  char text[64];
  const auto end = std::to_chars(text, text + sizeof text, x).ptr;  // shortest round trip
  std::string field(text, end);
  if (dialect.decimalComma) {
    const auto point = field.find('.');
    if (point != std::string::npos) field[point] = ',';
  }
  return field;
}

std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::string TextField(const std::string& text, const CsvDialect& dialect) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  const bool plain =
      !text.empty() &&
      text.find_first_of(std::string("\"\r\n") + dialect.separator) == std::string::npos &&
      !blank(text.front()) && !blank(text.back()) && !IsNumericText(text, dialect.decimalComma);
  return plain ? text : Quoted(text);
}

std::string Field(const CellContent& content, const CsvDialect& dialect) {
  if (content.IsEmpty()) return "";
  if (content.IsText()) return TextField(content.text(), dialect);
  const std::string number = NumberField(content.number(), dialect);
  return number.find(dialect.separator) == std::string::npos ? number : Quoted(number);
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

HostError NotCsv(const std::string& path, int line, const std::string& what) {
  return HostError(FileName(path) + ": line " + std::to_string(line) + ": " + what);
}

// A field as the file has it: its text as it stands (quotes and blanks
// included) and the value it holds.
struct RawField {
  std::string asItStands;
  std::string value;
  bool quoted = false;
};

struct RawRow {
  std::vector<RawField> fields;
  std::string end;                           // "\n", "\r\n", "\r", or "" at the end of the file
  const std::string& Value(int col) const {  // 1-based
    static const std::string kNone;
    return static_cast<std::size_t>(col) <= fields.size()
               ? fields[static_cast<std::size_t>(col - 1)].value
               : kNone;
  }
};

// The parser is fed one byte at a time, so that when it hands over a field
// the offset of the byte that ended it is known: the field's text as it
// stands in the file, and whether it began with a quote (the parser keeps
// that to itself).
struct ParseState {
  const std::string* text = nullptr;
  int lastRow = 0;               // reading stops there, or where the point table ends
  std::vector<RawField> fields;  // of the row being read
  std::vector<RawRow> rows;
  std::size_t offset = 0;      // the byte being parsed
  std::size_t fieldStart = 0;  // where the current field began
  int lastEnd = 0;             // the character that ended the previous record
  bool fieldSinceEnd = false;
  bool done = false;         // the last row to read is read
  std::size_t restFrom = 0;  // where the unread rest begins
};

bool BeganWithQuote(const ParseState& s) {
  std::size_t i = s.fieldStart;
  while (i < s.offset && ((*s.text)[i] == ' ' || (*s.text)[i] == '\t')) ++i;
  return i < s.offset && (*s.text)[i] == '"';
}

void OnField(void* data, std::size_t length, void* state) {
  auto& s = *static_cast<ParseState*>(state);
  const std::size_t end = std::min(s.offset, s.text->size());
  s.fields.push_back({s.text->substr(s.fieldStart, end - s.fieldStart),
                      data ? std::string(static_cast<const char*>(data), length) : std::string(),
                      BeganWithQuote(s)});
  s.fieldSinceEnd = true;
  s.fieldStart = s.offset + 1;
}

// Every line break ends a row, so that empty lines keep their row; the LF
// of a CR LF pair ends nothing more.
void OnRecordEnd(int c, void* state) {
  auto& s = *static_cast<ParseState*>(state);
  const bool secondHalfOfCrLf = c == CSV_LF && s.lastEnd == CSV_CR && !s.fieldSinceEnd;
  s.lastEnd = c;
  s.fieldSinceEnd = false;
  s.fieldStart = s.offset + 1;
  if (secondHalfOfCrLf) return;

  const std::string& text = *s.text;
  std::string end;
  if (c == CSV_CR) end = s.offset + 1 < text.size() && text[s.offset + 1] == '\n' ? "\r\n" : "\r";
  if (c == CSV_LF) end = "\n";
  s.rows.push_back({std::move(s.fields), end});
  s.fields.clear();

  // The point table ends at the first row without a temperature; nothing
  // below it, nor below the last row asked for, is read.
  const int row = static_cast<int>(s.rows.size());
  const bool tableEnds =
      row >= layout::kFirstPointRow && s.rows.back().Value(layout::kColA).empty();
  if (c != -1 && (tableEnds || row >= s.lastRow)) {
    s.done = true;
    s.restFrom = s.offset + end.size();
  }
}

// No space around a field but the blank, where the tab separates fields.
int IsBlank(unsigned char c) {
  return c == ' ' ? 1 : 0;
}

struct ParsedRows {
  std::vector<RawRow> rows;
  std::size_t restFrom = 0;
};

// Reads the rows of the text up to `lastRow`, or up to the row that ends
// the point table. Throws HostError, naming the line, when the text is no CSV.
ParsedRows ParseRows(const std::string& text, char separator, int lastRow,
                     const std::string& path) {
  csv_parser parser;
  if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI | CSV_APPEND_NULL | CSV_REPALL_NL) != 0)
    throw HostError("could not start the CSV reader");
  const std::unique_ptr<csv_parser, void (*)(csv_parser*)> guard(&parser, csv_free);
  csv_set_delim(&parser, static_cast<unsigned char>(separator));
  if (separator == '\t') csv_set_space_func(&parser, IsBlank);

  ParseState state;
  state.text = &text;
  state.lastRow = lastRow;
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
  return {std::move(state.rows), state.restFrom};
}

// The separator that puts the data sheet's keyword "Complex:" in B2. When
// none does, the reason a separator failed to read the text as CSV, if
// one did.
char DetectSeparator(const std::string& text, const std::string& path) {
  std::optional<HostError> notCsv;
  std::string names;
  for (const char separator : kCsvSeparators) {
    names += (names.empty() ? "" : " ") + SeparatorName(separator);
    try {
      const ParsedRows head = ParseRows(text, separator, layout::kComplexRow, path);
      if (head.rows.size() >= layout::kComplexRow &&
          head.rows[layout::kComplexRow - 1].Value(layout::kColB) == "Complex:") {
        return separator;
      }
    } catch (const HostError& e) {
      if (!notCsv) notCsv = e;
    }
  }
  if (notCsv) throw *notCsv;
  throw HostError(FileName(path) + ": no separator (" + names +
                  ") puts 'Complex:' in B2 \u2014 is this a data sheet?");
}

// Whether the numbers of the sheet carry a decimal comma: as most numbers
// with a decimal mark in the point table do, or when they do not tell, in
// the parameter rows. Unquoted numbers tell first: a quoted one may be a
// text. When none tells, `otherwise`.
bool DecimalCommaOf(const std::vector<RawRow>& rows, bool otherwise) {
  const auto balance = [&](int firstRow, int lastRow, bool quoted) {  // points minus commas
    int points = 0;
    for (int row = firstRow; row <= lastRow && row <= static_cast<int>(rows.size()); ++row) {
      const auto& fields = rows[static_cast<std::size_t>(row - 1)].fields;
      for (std::size_t col = 0;
           col < fields.size() && col < static_cast<std::size_t>(layout::kColG); ++col) {
        const RawField& field = fields[col];
        if (field.quoted != quoted) continue;
        if (field.value.find('.') != std::string::npos && IsNumericText(field.value, false))
          ++points;
        if (field.value.find(',') != std::string::npos && IsNumericText(field.value, true))
          --points;
      }
    }
    return points;
  };
  for (const bool quoted : {false, true}) {
    for (const auto& [first, last] : {std::pair{layout::kFirstPointRow, layout::kLastUsableRow},
                                      std::pair{layout::kFirstParamRow, layout::kErrorRow}}) {
      const int points = balance(first, last, quoted);
      if (points != 0) return points < 0;
    }
  }
  return otherwise;
}

}  // namespace

CsvSheet::CsvSheet(const MemoryGrid& grid, CsvDialect dialect)
    : MemoryGrid(grid), dialect_(std::move(dialect)) {}

CsvSheet LoadCsvSheet(const std::string& path, bool decimalComma, std::optional<char> separator) {
  DecodedText decoded = DecodeText(ReadWholeFile(path));
  std::string& text = decoded.text;
  if (decoded.invalidFrom) {
    throw NotCsv(path, LineOf(text, *decoded.invalidFrom),
                 "not valid UTF-16, although the file begins with its byte-order mark");
  }
  CsvDialect dialect;
  dialect.encoding = decoded.encoding;
  if (text.rfind(kByteOrderMark, 0) == 0) {
    dialect.byteOrderMark = true;
    text.erase(0, std::strlen(kByteOrderMark));
  }
  dialect.separator = separator ? *separator : DetectSeparator(text, path);
  ParsedRows parsed = ParseRows(text, dialect.separator, layout::kLastUsableRow, path);
  dialect.decimalComma = DecimalCommaOf(parsed.rows, decimalComma);
  if (!parsed.rows.empty() && !parsed.rows.front().end.empty()) {
    dialect.newline = parsed.rows.front().end;
  }

  CsvSheet sheet(MemoryGrid(decimalComma), dialect);
  sheet.lines_.reserve(parsed.rows.size());
  for (RawRow& raw : parsed.rows) {
    const int row = static_cast<int>(sheet.lines_.size()) + 1;
    CsvSheet::Line line;
    line.end = std::move(raw.end);
    for (RawField& field : raw.fields) {
      CellContent content = FieldContent(field.value, field.quoted, dialect);
      if (!content.IsEmpty()) sheet.Put(row, static_cast<int>(line.fields.size()) + 1, content);
      line.fields.push_back(std::move(field.asItStands));
      line.read.push_back(std::move(content));
    }
    sheet.lines_.push_back(std::move(line));
  }
  text.erase(0, std::min(parsed.restFrom, text.size()));  // no second copy of a large file
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
    fields.push_back(asItStands ? line->fields[c] : Field(content, dialect_));
  }
  // A new row, or cells emptied at its end: no empty fields after the last.
  while (fields.size() > known && !fields.empty() && fields.back().empty()) fields.pop_back();

  std::string out;
  for (std::size_t c = 0; c < fields.size(); ++c) {
    if (c > 0) out += dialect_.separator;
    out += fields[c];
  }
  return out;
}

std::string CsvSheet::Text() const {
  std::string out = dialect_.byteOrderMark ? kByteOrderMark : "";
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    out += RenderLine(static_cast<int>(i) + 1, &lines_[i]) + lines_[i].end;
  }
  // Rows the file did not have, up to the last one with content; the last
  // line read then needs its line end.
  bool lineOpen = !lines_.empty() && lines_.back().end.empty();
  std::string pending;
  for (int row = static_cast<int>(lines_.size()) + 1; row <= RowCount(); ++row) {
    const std::string line = RenderLine(row, nullptr);
    pending += line + dialect_.newline;
    if (line.empty()) continue;
    if (lineOpen) out += dialect_.newline;
    lineOpen = false;
    out += pending;
    pending.clear();
  }
  return out + rest_;
}

void SaveCsvSheet(const CsvSheet& sheet, const std::string& path) {
  std::string bytes;
  try {
    bytes = EncodeText(sheet.Text(), sheet.dialect().encoding);
  } catch (const HostError& e) {
    throw HostError("could not save '" + path + "': " + e.what());
  }
  ReplaceFile(path, [&](const std::string& temporary) {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.flush();
    if (!file) throw HostError(Describe("could not save", path));
  });
}

}  // namespace tavrix
