#include "tavrix/sheet/csv_sheet.h"

#include <csv.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

#include "tavrix/numeric/number_text.h"

namespace tavrix {
namespace {

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

// The reader is fed one byte at a time, so that when it hands over a field
// the offset of the byte that ended it is known, and with it whether the
// field began with a quote (the parser keeps that to itself).
struct LoadState {
  const std::string* text;
  MemoryGrid* grid;
  std::size_t offset = 0;      // the byte being parsed
  std::size_t fieldStart = 0;  // where the current field began
  int row = 1;
  int col = 1;
  int lastEnd = 0;  // the character that ended the previous record
  bool fieldSinceEnd = false;
};

bool BeganWithQuote(const LoadState& s) {
  std::size_t i = s.fieldStart;
  while (i < s.offset && ((*s.text)[i] == ' ' || (*s.text)[i] == '\t')) ++i;
  return i < s.offset && (*s.text)[i] == '"';
}

void OnField(void* data, std::size_t length, void* state) {
  auto& s = *static_cast<LoadState*>(state);
  const CellContent content = FieldContent(
      std::string_view(static_cast<const char*>(data), data ? length : 0), BeganWithQuote(s));
  if (!content.IsEmpty()) s.grid->Put(s.row, s.col, content);
  ++s.col;
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
  ++s.row;
  s.col = 1;
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

std::string CsvText(const MemoryGrid& grid) {
  // Rows up to the last one with content, each up to its last filled cell.
  std::string out;
  std::string pendingRows;
  for (int row = 1; row <= grid.RowCount(); ++row) {
    std::string line;
    std::string pendingFields;
    for (int col = 1; col <= grid.ColumnCount(row); ++col) {
      const CellContent& content = grid.At(row, col).content;
      if (col > 1) pendingFields += ',';
      if (content.IsEmpty()) continue;
      line += pendingFields +
              (content.IsNumber() ? NumberField(content.number()) : TextField(content.text()));
      pendingFields.clear();
    }
    pendingRows += line + '\n';
    if (!line.empty()) {
      out += pendingRows;
      pendingRows.clear();
    }
  }
  return out;
}

void WriteAll(int fd, const std::string& text, const std::string& path) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw HostError(Describe("could not write", path));
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace

MemoryGrid LoadCsvSheet(const std::string& path, bool decimalComma) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw HostError(Describe("could not open", path));
  std::ostringstream buffer;
  buffer << file.rdbuf();
  if (file.bad()) throw HostError(Describe("could not read", path));
  std::string text = buffer.str();
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);  // a byte-order mark

  csv_parser parser;
  if (csv_init(&parser, CSV_APPEND_NULL | CSV_REPALL_NL) != 0)
    throw HostError("could not start the CSV reader");
  const std::unique_ptr<csv_parser, void (*)(csv_parser*)> guard(&parser, csv_free);

  MemoryGrid grid(decimalComma);
  LoadState state{&text, &grid};
  for (; state.offset < text.size(); ++state.offset) {
    if (csv_parse(&parser, &text[state.offset], 1, OnField, OnRecordEnd, &state) != 1) {
      throw HostError("could not read '" + path + "' as CSV: " + csv_strerror(csv_error(&parser)));
    }
  }
  if (csv_fini(&parser, OnField, OnRecordEnd, &state) != 0) {
    throw HostError("could not read '" + path + "' as CSV: " + csv_strerror(csv_error(&parser)));
  }
  return grid;
}

void SaveCsvSheet(const MemoryGrid& grid, const std::string& path) {
  const std::string text = CsvText(grid);
  std::string temporary = path + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) throw HostError(Describe("could not create a file beside", path));
  bool open = true;
  try {
    WriteAll(fd, text, temporary);
    struct stat original {};
    if (::stat(path.c_str(), &original) == 0) ::fchmod(fd, original.st_mode & 07777);
    if (::fsync(fd) != 0) throw HostError(Describe("could not write", temporary));
    open = false;
    if (::close(fd) != 0) throw HostError(Describe("could not write", temporary));
  } catch (...) {
    if (open) ::close(fd);
    ::unlink(temporary.c_str());
    throw;
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const std::string reason = Describe("could not replace", path);
    ::unlink(temporary.c_str());
    throw HostError(reason);
  }
}

}  // namespace tavrix
