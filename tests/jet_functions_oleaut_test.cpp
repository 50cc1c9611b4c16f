// The stand-in's cdate and + against the system's variant conversions
// (oleaut32's VarDateFromStr and VarAdd), which Jet's expression service
// runs (Windows form; under Wine, Wine's oleaut32): the texts PZ's date is
// made of, every day of a common and a leap year written as the export
// writes them, and hostile texts, in the Chinese (PRC) locale and the
// user's default. They agree, or the stand-in refuses what oleaut32 reads,
// and each such case says why; the stand-in is never the more forgiving.
#include <gtest/gtest.h>

#ifdef _WIN32

#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "engine/ado/com/com_support.h"
#include "tests/standin_test_util.h"

namespace dt::engine::standin {
namespace {

namespace com = engine::ado::com;
using testing::OpenEmptyDatabase;
using testing::ScratchDir;

constexpr LCID kChinesePrc = 2052;

// What a conversion gave: a value as text, or nothing (refused).
using Outcome = std::optional<std::string>;

std::string Show(const Outcome& outcome) { return outcome ? "'" + *outcome + "'" : "refused"; }

// A DATE as the stand-in writes one, "YYYY-MM-DD", with " hh:mm:ss" when
// it has a time of day.
std::string DateText(DATE date) {
  SYSTEMTIME time{};
  if (!VariantTimeToSystemTime(date, &time)) return "(no date)";
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u", time.wYear, time.wMonth, time.wDay);
  std::string shown = text;
  if (time.wHour != 0 || time.wMinute != 0 || time.wSecond != 0) {
    std::snprintf(text, sizeof text, " %02u:%02u:%02u", time.wHour, time.wMinute, time.wSecond);
    shown += text;
  }
  return shown;
}

Outcome OleautDate(const std::string& utf8, LCID lcid) {
  const com::Bstr text(utf8);
  DATE date = 0;
  if (FAILED(VarDateFromStr(text.get(), lcid, 0, &date))) return std::nullopt;
  return DateText(date);
}

// Whether the locale writes dates year first, as the host's machines do
// (the Chinese locales): the order in which a date's numbers are read
// first.
bool WritesYearFirst(LCID lcid) {
  wchar_t order[8] = {};
  return GetLocaleInfoW(lcid, LOCALE_IDATE, order, 8) > 0 && order[0] == L'2';
}

struct Locale {
  const char* name;
  LCID lcid;
};
const Locale kLocales[] = {{"Chinese (PRC)", kChinesePrc}, {"user default", LOCALE_USER_DEFAULT}};

class JetFunctionsOleautTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OpenEmptyDatabase(dir_, session_);
    session_.Execute("create table One (X text)");
    session_.Execute("insert into One values ('x')");
  }

  // The stand-in's value of `expression` ("<null>" for Null); nothing when
  // it refuses with a data type mismatch (any other failure fails the test).
  Outcome StandIn(const std::string& expression) {
    try {
      const Snapshot rows = session_.Query("select " + expression + " as V from One");
      return rows.rows.at(0).at(0).value_or("<null>");
    } catch (const Error& error) {
      EXPECT_NE(std::string(error.what()).find("Data type mismatch"), std::string::npos)
          << expression << ": " << error.what();
      return std::nullopt;
    }
  }

  // Skips the user's default locale where it does not write dates year
  // first: the stand-in reads dates as the host's machines do.
  bool Compared(const Locale& locale) {
    if (WritesYearFirst(locale.lcid)) return true;
    std::printf("the user's default locale does not write dates year first: not compared\n");
    return false;
  }

  ScratchDir dir_;
  StandInEngine session_;
};

// A text as a Jet literal (no text here holds a quote).
std::string Literal(const std::string& text) { return "'" + text + "'"; }

// Every day, and the days past each month's end, of a common and a leap
// year of the export's range, as the export writes YEAR, MONTH and DAY (no
// leading zeros) and PZ's statement joins them.
TEST_F(JetFunctionsOleautTest, TheExportsDatesConvertAlike) {
  for (const Locale& locale : kLocales) {
    if (!Compared(locale)) continue;
    int dates = 0;
    for (const int year : {2023, 2024}) {
      for (int month = 1; month <= 12; ++month) {
        for (int day = 1; day <= 31; ++day) {
          const std::string y = std::to_string(year);
          const std::string m = std::to_string(month);
          const std::string d = std::to_string(day);
          const Outcome standin = StandIn("cdate(" + Literal(y) + " + '-' + " + Literal(m) +
                                          " + '-' + " + Literal(d) + ")");
          const Outcome oleaut = OleautDate(y + "-" + m + "-" + d, locale.lcid);
          EXPECT_EQ(standin, oleaut) << locale.name << ": " << y << "-" << m << "-" << d;
          if (oleaut) ++dates;
        }
      }
    }
    EXPECT_EQ(dates, 365 + 366) << locale.name;
  }
}

// Hostile texts. A case with a reason is one where the stand-in refuses
// what oleaut32 reads, on purpose; the test checks that both still do so.
TEST_F(JetFunctionsOleautTest, HostileDateTextsConvertAlikeOrTheStandInIsStricter) {
  struct Case {
    std::string text;
    const char* stricter;  // why the stand-in refuses it; null when both agree
  };
  const char* const kTwoDigitYear =
      "a year of one or two digits: Windows puts it in a century by the machine's two-digit "
      "year setting (1930-2029 on older systems, 1950-2049 on newer ones and Wine 8), which "
      "the stand-in cannot know; an export writes four digits";
  const char* const kYearDigits =
      "a year is read as written only from three digits on; a four-digit year under 100 is "
      "no year an export writes";
  const char* const kPartDigits =
      "a month or day has one or two digits; a longer one is no part of a date an export writes";
  const char* const kNoTime = "a date only: a voucher's date has no time of day";
  const char* const kThreeNumbers =
      "exactly three numbers: a part left empty (an empty MONTH or DAY) is no date";
  const std::vector<Case> cases = {
      {"2024-2-30", nullptr},  // 30 February in no reading
      {"2024-13-1", nullptr},  // read as 13 January: year-day-month
      {"2024-1-32", nullptr},
      {"99-1-1", kTwoDigitYear},
      {"29-1-1", kTwoDigitYear},
      {"30-1-1", kTwoDigitYear},  // 1930 or 2030 by the machine's setting
      {"5-6-7", kTwoDigitYear},
      {"12-31-2024", nullptr},
      {"31-12-2024", nullptr},
      {" 2024-1-5", nullptr},
      {"2024-1-5 ", nullptr},
      {"  2024-1-5  ", nullptr},
      {"2024- 1 -5", nullptr},
      {"\t2024-1-5", nullptr},
      {"2024/1/5", nullptr},
      {"2024-1/5", nullptr},
      {"1899-12-30", nullptr},
      {"1899-12-29", nullptr},
      {"100-1-1", nullptr},
      {"9999-12-31", nullptr},
      {"10000-1-1", nullptr},
      {"2024-1-1-1", nullptr},
      {"", nullptr},
      {" ", nullptr},
      {"-", nullptr},
      {"--", nullptr},
      {"2024-1-", nullptr},
      {"-1-5", nullptr},
      {"2024", nullptr},
      {"45322", nullptr},
      {"2024-1-5x", nullptr},
      {"abc", nullptr},
      {"2024.1.5", nullptr},
      {"2024_1_5", nullptr},
      {"2024--1", kThreeNumbers},
      {"2024-1", kThreeNumbers},
      {"0099-1-1", kYearDigits},
      {"2024-001-5", kPartDigits},
      {"2024-1-5 10:00", kNoTime},
      // Full-width digits, as an export in code page 936 may hold them.
      {"\xEF\xBC\x92\xEF\xBC\x90\xEF\xBC\x92\xEF\xBC\x94-\xEF\xBC\x91-\xEF\xBC\x95", nullptr},
  };
  for (const Locale& locale : kLocales) {
    if (!Compared(locale)) continue;
    for (const Case& c : cases) {
      const Outcome standin = StandIn("cdate(" + Literal(c.text) + ")");
      const Outcome oleaut = OleautDate(c.text, locale.lcid);
      const std::string where = std::string(locale.name) + ": '" + c.text + "': stand-in " +
                                Show(standin) + ", oleaut32 " + Show(oleaut);
      if (c.stricter == nullptr) {
        EXPECT_EQ(standin, oleaut) << where;
      } else {
        EXPECT_TRUE(!standin && oleaut) << where << " (listed: " << c.stricter << ")";
      }
    }
  }
}

// A number is no text: Jet's CDate reads a number as days from 30 December
// 1899, the stand-in's refuses it (YEAR, MONTH and DAY are imported as
// text, so no statement hands it a number); the number's text is no date
// to either.
TEST_F(JetFunctionsOleautTest, ANumberIsRefusedWhereOleautReadsItsDays) {
  com::Variant number;
  number.get().vt = VT_I4;
  number.get().lVal = 45322;
  com::Variant date;
  ASSERT_EQ(VariantChangeType(&date.get(), &number.get(), 0, VT_DATE), S_OK);
  EXPECT_EQ(DateText(date.get().date), "2024-01-31");
  EXPECT_EQ(StandIn("cdate(45322)"), std::nullopt);
  for (const Locale& locale : kLocales) {
    EXPECT_EQ(OleautDate("45322", locale.lcid), std::nullopt) << locale.name;
  }
  EXPECT_EQ(StandIn("cdate('45322')"), std::nullopt);
}

// An operand of +, as a Jet literal and as a VARIANT.
struct Operand {
  enum Kind { kNull, kText, kWhole, kReal } kind;
  std::string text;  // the text, or the number's digits

  std::string Jet() const { return kind == kNull ? "Null" : kind == kText ? Literal(text) : text; }
  void Set(com::Variant& out) const {
    VARIANT& v = out.get();
    switch (kind) {
      case kNull:
        v.vt = VT_NULL;
        break;
      case kText:
        v.bstrVal = com::Bstr(text).Release();
        v.vt = VT_BSTR;
        break;
      case kWhole:
        v.vt = VT_I4;
        v.lVal = std::stol(text);
        break;
      case kReal:
        v.vt = VT_R8;
        v.dblVal = std::stod(text);
        break;
    }
  }
};

std::string NumberShown(double value) {
  char shown[64];
  std::snprintf(shown, sizeof shown, "number %.17g", value);
  return shown;
}

// oleaut32's a + b in `lcid`: "<null>", "text ..." or "number ...". VarAdd converts a text to a
// number in the user's locale; for another locale the text is converted in it first.
Outcome OleautAdd(const Operand& a, const Operand& b, LCID lcid) {
  com::Variant left;
  com::Variant right;
  a.Set(left);
  b.Set(right);
  if (lcid != LOCALE_USER_DEFAULT && (a.kind == Operand::kText) != (b.kind == Operand::kText) &&
      a.kind != Operand::kNull && b.kind != Operand::kNull) {
    com::Variant& text = a.kind == Operand::kText ? left : right;
    com::Variant number;
    if (FAILED(VariantChangeTypeEx(&number.get(), &text.get(), lcid, 0, VT_R8))) {
      return std::nullopt;
    }
    VariantClear(&text.get());
    text.get() = number.get();
    VariantInit(&number.get());
  }
  com::Variant sum;
  if (FAILED(VarAdd(&left.get(), &right.get(), &sum.get()))) return std::nullopt;
  if (sum.get().vt == VT_NULL) return "<null>";
  if (sum.get().vt == VT_BSTR)
    return "text " + com::Utf8(sum.get().bstrVal, SysStringLen(sum.get().bstrVal));
  com::Variant real;
  if (FAILED(VariantChangeType(&real.get(), &sum.get(), 0, VT_R8))) return "(no number)";
  return NumberShown(real.get().dblVal);
}

TEST_F(JetFunctionsOleautTest, PlusAddsAndJoinsAlikeOrTheStandInIsStricter) {
  using K = Operand::Kind;
  struct Case {
    Operand a;
    Operand b;
    const char* stricter;
  };
  const char* const kPlainNumbers =
      "a text added to a number is a plain decimal number: thousands separators, "
      "parentheses for a sign and &H are no part of a code or an amount an export writes";
  const std::vector<Case> cases = {
      // The date's texts, joined.
      {{K::kText, "2024"}, {K::kText, "-"}, nullptr},
      {{K::kText, "2024-"}, {K::kText, "1"}, nullptr},
      {{K::kText, ""}, {K::kText, ""}, nullptr},
      {{K::kText, "2024"}, {K::kText, "1"}, nullptr},  // joined, not added
      // A number against its text.
      {{K::kText, "2024"}, {K::kWhole, "1"}, nullptr},
      {{K::kWhole, "2024"}, {K::kWhole, "1"}, nullptr},
      {{K::kWhole, "1"}, {K::kText, "2024"}, nullptr},
      {{K::kText, "2024"}, {K::kReal, "0.5"}, nullptr},
      {{K::kText, " 7 "}, {K::kWhole, "1"}, nullptr},
      {{K::kText, "1.5"}, {K::kWhole, "1"}, nullptr},
      {{K::kText, "-2.5e1"}, {K::kWhole, "1"}, nullptr},
      {{K::kText, "+5"}, {K::kWhole, "1"}, nullptr},
      // Null carries through.
      {{K::kNull, ""}, {K::kText, "1"}, nullptr},
      {{K::kText, "2024"}, {K::kNull, ""}, nullptr},
      {{K::kNull, ""}, {K::kWhole, "1"}, nullptr},
      {{K::kNull, ""}, {K::kNull, ""}, nullptr},
      // No number.
      {{K::kText, "abc"}, {K::kWhole, "1"}, nullptr},
      {{K::kText, ""}, {K::kWhole, "1"}, nullptr},
      {{K::kText, " "}, {K::kWhole, "1"}, nullptr},
      {{K::kText, "2024-1-5"}, {K::kWhole, "1"}, nullptr},
      {{K::kText, "1,000"}, {K::kWhole, "1"}, kPlainNumbers},
      {{K::kText, "&H10"}, {K::kWhole, "1"}, kPlainNumbers},
      {{K::kText, "(5)"}, {K::kWhole, "1"}, kPlainNumbers},
      // Full-width digits.
      {{K::kText, "\xEF\xBC\x95"}, {K::kWhole, "1"}, nullptr},
  };
  for (const Locale& locale : kLocales) {
    for (const Case& c : cases) {
      const std::string expression = c.a.Jet() + " + " + c.b.Jet();
      const Outcome oleaut = OleautAdd(c.a, c.b, locale.lcid);
      Outcome standin = StandIn(expression);
      // The stand-in's value in the form of oleaut32's: a number where
      // oleaut32 gives one (the stand-in gives its digits), else a text.
      if (standin && *standin != "<null>") {
        char* end = nullptr;
        const double value = std::strtod(standin->c_str(), &end);
        const bool number = !standin->empty() && *end == '\0';
        standin = number && oleaut && oleaut->rfind("number ", 0) == 0 ? NumberShown(value)
                                                                       : "text " + *standin;
      }
      const std::string where = std::string(locale.name) + ": " + expression + ": stand-in " +
                                Show(standin) + ", oleaut32 " + Show(oleaut);
      if (c.stricter == nullptr) {
        EXPECT_EQ(standin, oleaut) << where;
      } else {
        EXPECT_TRUE(!standin && oleaut) << where << " (listed: " << c.stricter << ")";
      }
    }
  }
}

}  // namespace
}  // namespace dt::engine::standin

#endif  // _WIN32
