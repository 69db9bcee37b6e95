#include "tavrix/report/report.h"

#include <gtest/gtest.h>

#include "support/fitted_sheet.h"
#include "tavrix/fit/shown_fit.h"
#include "tavrix/version.h"

namespace tavrix {
namespace {

using testing_support::FittedSheet;
using testing_support::SheetContents;

// The pK of the model with pK298 = 2.5, A = 1.25, B = -300 at 24 points:
// six temperatures at four pressures; point 5 (row 20) moved by `shift`.
SheetContents ModelData(double shift) {
  SheetContents contents;
  contents.points.clear();
  for (const float t : {25.0f, 75.0f, 150.0f, 225.0f, 300.0f, 375.0f}) {
    for (const float P : {500.0f, 1000.0f, 2000.0f, 3000.0f}) {
      contents.points.push_back(testing_support::ModelPoint(
          {2.5, 1.25f, -300.0f}, t, P, "1", contents.points.size() == 5 ? shift : 0));
    }
  }
  return contents;
}

// The report of the fit of all three parameters to those data, as the
// sheet shows it once written.
struct Reported : FittedSheet {
  explicit Reported(double shift) : FittedSheet(ModelData(shift)) {
    EXPECT_TRUE(Run({true, true, true})) << outcome.reason;
    shown = CheckShownFit(grid, outcome.parameters, false).parameters;
  }
  std::string Page(bool decComma) const {
    return FitReport({pass.read.sheet, pass.evaluation, outcome, shown},
                     {false, decComma, "2025-03-14"});
  }
  RBPar shown;
};

std::size_t Count(const std::string& page, const std::string& s) {
  std::size_t n = 0;
  for (auto at = page.find(s); at != std::string::npos; at = page.find(s, at + 1)) ++n;
  return n;
}

// What a reader sees of the page: the text outside tags, without the
// style, the records for other codes (which keep their own notation) and
// the program's version; each piece from its opening to its close is left
// as a blank. (No <regex>: GCC 12 warns inside it under the sanitizers.)
std::string ReadableText(std::string text) {
  const std::string opens[] = {"<style>", "<pre>", "<", "tavrix " + std::string(kProgramVersion)};
  const std::string closes[] = {"</style>", "</pre>", ">", ""};
  for (int piece = 0; piece < 4; ++piece) {
    const std::string &open = opens[piece], &close = closes[piece];
    for (auto at = text.find(open); at != std::string::npos; at = text.find(open, at + 1)) {
      const auto end = text.find(close, at + open.size());
      text.replace(at, end == std::string::npos ? end : end + close.size() - at, " ");
    }
  }
  return text;
}

bool HasNumberWithMark(const std::string& text, char mark) {
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  for (std::size_t at = 1; at + 1 < text.size(); ++at)
    if (text[at] == mark && digit(text[at - 1]) && digit(text[at + 1])) return true;
  return false;
}

TEST(Report, HasEverySectionAndTheFittedParameters) {
  Reported r(0);
  r.pass.read.sheet.title = "Data <b>from</b> Smith & \"Jones\"";
  const std::string page = r.Page(false);
  for (const char* part :
       {"<!DOCTYPE html>", "<section id=\"fit\">", "<section id=\"plot\">",
        "<section id=\"points\">", "<section id=\"table\">", "<section id=\"exports\">",
        "Dissociation: NaCl = Na+ + Cl-", "<summary>ThermoFun reaction record (JSON)</summary>",
        "<summary>PHREEQC SOLUTION_SPECIES block</summary>", "Made by tavrix ",
        " on 2025-03-14</footer>", "degrees of freedom</dt><dd>21</dd>",
        "Data &lt;b&gt;from&lt;/b&gt; Smith &amp; &quot;Jones&quot;",
        // The data were made with these parameters, without scatter.
        "data-parameter=\"pK298\">2.5<", "data-parameter=\"A\">1.25<",
        "data-parameter=\"B\">-300<"}) {
    EXPECT_NE(page.find(part), std::string::npos) << part;
  }
  EXPECT_EQ(page.find("<b>"), std::string::npos);  // the sheet's texts are escaped
  EXPECT_EQ(Count(page, "<svg xmlns="), 3u);       // the fit and two residual plots
  EXPECT_EQ(Count(page, "<tr"), 1 + 3 + 1 + 3 + 1 + 24 + 1 + 11u);
  // No script, and no way for the markup or the style to fetch anything:
  // this page's rule is tested here, the browser test only renders it.
  for (const char* fetched : {"<script", "src=", "srcset", "href=", "data=", "poster=",
                              "background=", "http-equiv", "url(", "image-set(", "@import"})
    EXPECT_EQ(page.find(fetched), std::string::npos) << fetched;
}

// Point 5 (row 20) moved by 2: an outlier, named in the table, the plot and
// the notes, whose numbers are written in the decimal mark asked too.
TEST(Report, NamesTheOutlierAndWritesNumbersInTheDecimalMarkAsked) {
  const Reported r(2);
  const std::string page = r.Page(false);
  const auto flagged = page.find("<tr class=\"flagged\" title=\"row 20: pK ");
  ASSERT_NE(flagged, std::string::npos);
  EXPECT_NE(page.find("outlier", flagged), std::string::npos);
  EXPECT_NE(page.find("<title>row 20: pK "), std::string::npos);  // the ring's tip
  EXPECT_NE(page.find("<li>row 20: pK "), std::string::npos);
  for (const bool comma : {false, true}) {
    const std::string text = ReadableText(r.Page(comma));
    EXPECT_TRUE(HasNumberWithMark(text, comma ? ',' : '.')) << comma;
    EXPECT_FALSE(HasNumberWithMark(text, comma ? '.' : ',')) << comma;
  }
  // The records for other codes keep their own notation.
  EXPECT_NE(r.Page(true).find("log_k     2."), std::string::npos);
}

}  // namespace
}  // namespace tavrix
