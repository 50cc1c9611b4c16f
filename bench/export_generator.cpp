// The export generator's tables: code hierarchies for accounts, budget
// sections and items held in memory (a few thousand at most), vouchers and
// their lines, loans and balances streamed row by row.
#include "bench/export_generator.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string_view>
#include <unordered_set>

#include "bench/code_tree.h"
#include "bench/export_random.h"
#include "bench/export_text.h"
#include "bench/table_writer.h"
#include "src/staging/catalogue.h"

namespace dt::bench {
namespace {

namespace fs = std::filesystem;

// One random stream per table (see StreamSeed).
enum Stream : std::uint64_t { kYear, kAccounts, kBudgets, kItems, kVouchers, kLoans, kBalances };

// A count between `low` and `high`: small enough for a size on any platform.
std::size_t Clamp(std::uint64_t value, std::size_t low, std::size_t high) {
  return static_cast<std::size_t>(
      std::min<std::uint64_t>(std::max<std::uint64_t>(value, low), high));
}

const std::string& CatalogueColumns(std::string_view file_name) {
  for (const CatalogueEntry& entry : SourceCatalogue()) {
    if (entry.file_name == file_name) return entry.header_line;
  }
  throw std::logic_error("no catalogue entry " + std::string(file_name));
}

bool IsPeriodAmount(std::string_view name) {
  return name.size() == 5 &&
         (name.starts_with("BAL") || name.starts_with("DEB") || name.starts_with("CRE"));
}

// A code list with the names that go with it, and a lookup of its codes so
// that unmatched references can be made up.
struct CodeTable {
  std::vector<Code> codes;
  std::vector<std::string> names;
  std::vector<std::size_t> referable;  // codes that lines point at
  std::unordered_set<std::string> known;

  // A code none of the codes equals, in the same dotted style.
  std::string Unmatched(Random& random) const {
    for (;;) {
      std::string code = "9" + std::to_string(random.Between(10, 99)) + "." +
                         std::to_string(random.Between(100, 999));
      if (known.count(code) == 0) return code;
    }
  }
};

// Shared by every table of one export.
class Export {
 public:
  Export(const ExportOptions& options, const fs::path& dir) : options_(options), dir_(dir) {
    Random random(StreamSeed(options.seed, kYear));
    year_ = static_cast<int>(2015 + random.Between(0, 10));
    year_text_ = std::to_string(year_);
  }

  ExportCounts Run() {
    WriteAccounts();
    WriteBudgetSections();
    WriteItems();
    WriteVouchers();
    WriteLoans();
    WriteBalances();
    return counts_;
  }

 private:
  std::unique_ptr<TableWriter> Open(std::string_view file_name) {
    auto writer = std::make_unique<TableWriter>((dir_ / std::string(file_name)).string(),
                                                CatalogueColumns(file_name));
    const auto& names = writer->Columns();
    for (std::size_t i = 0; i < names.size(); ++i) {
      const std::string_view name = names[i];
      if (name == "SETID") writer->SetDefault(i, "001");
      if (name == "YEAR" || name == "MYEAR" || name == "CYEAR") writer->SetDefault(i, year_text_);
      if (name.starts_with("IS") || name == "KEEPED" || name == "FLAG") writer->SetDefault(i, "0");
      if (name == "USED" || name == "ENABLED" || name == "STATUS") writer->SetDefault(i, "1");
      if (IsPeriodAmount(name)) writer->SetDefault(i, "0.00");
    }
    return writer;
  }

  void Finish(std::string_view file_name, TableWriter& writer) {
    writer.Close();
    counts_[std::string(file_name)] = writer.Rows();
  }

  static void SetSegments(TableWriter& writer, const Code& code) {
    for (std::size_t level = 0; level < code.segments.size() && level < 6; ++level) {
      writer[writer.Column("ID" + std::to_string(level + 1))] = code.segments[level];
    }
  }

  void MakeTable(CodeTable& table, Random& random, const CodeTreeShape& shape,
                 const std::vector<std::string>& names) {
    table.codes = MakeCodeTree(random, shape);
    for (const Code& code : table.codes) {
      table.known.insert(code.text);
      table.names.push_back(random.Pick(names));
    }
  }

  // A few thousand accounts, one to five levels, uneven segment widths.
  void WriteAccounts() {
    Random random(StreamSeed(options_.seed, kAccounts));
    MakeTable(accounts_, random,
              {Clamp(options_.lines / 40, 30, 4000), 5, {3, 3, 3, 3, 1, 4}, {1, 2, 2, 3}},
              texts_.account_names);
    auto writer = Open("ACCOUNTSECTIONS.TXT");
    TableWriter& w = *writer;
    const std::size_t sid = w.Column("SID"), name = w.Column("NAME"), klass = w.Column("CLASS"),
                      order = w.Column("DORDER"), leaf = w.Column("ISLEAF"),
                      debcre = w.Column("DEBCRE"), bal00 = w.Column("BAL00");
    for (std::size_t i = 0; i < accounts_.codes.size(); ++i) {
      const Code& code = accounts_.codes[i];
      if (code.leaf) accounts_.referable.push_back(i);
      w[sid] = code.text;
      SetSegments(w, code);
      w[name] = accounts_.names[i];
      w[klass] = std::to_string(code.segments.size());
      w[order] = std::to_string(i + 1);
      w[leaf] = code.leaf ? "1" : "0";
      // Assets and expenses (codes starting with 1 or 5) are debit accounts.
      const char first = code.text[0];
      w[debcre] = first == '1' || first == '5' ? "1" : "-1";
      if (code.leaf && random.PerMille(600)) w[bal00] = Money(RandomCents(random));
      w.EndRow();
    }
    Finish("ACCOUNTSECTIONS.TXT", w);
  }

  // Hundreds of budget sections; a few have no code at all.
  void WriteBudgetSections() {
    Random random(StreamSeed(options_.seed, kBudgets));
    MakeTable(budgets_, random, {Clamp(options_.lines / 200, 20, 600), 3, {3}, {2, 2, 1}},
              texts_.budget_names);
    auto writer = Open("BUDGETSECTION.TXT");
    TableWriter& w = *writer;
    const std::size_t bid = w.Column("BID"), name = w.Column("NAME"), klass = w.Column("CLASS"),
                      order = w.Column("DORDER"), leaf = w.Column("ISLEAF");
    for (std::size_t i = 0; i < budgets_.codes.size(); ++i) {
      const Code& code = budgets_.codes[i];
      const bool without_code = i % 53 == 17;
      if (!without_code) {
        w[bid] = code.text;
        SetSegments(w, code);
        budgets_.referable.push_back(i);
      }
      w[name] = budgets_.names[i];
      w[klass] = std::to_string(code.segments.size());
      w[order] = std::to_string(i + 1);
      w[leaf] = code.leaf ? "1" : "0";
      w.EndRow();
    }
    Finish("BUDGETSECTION.TXT", w);
  }

  // Thousands of project items.
  void WriteItems() {
    Random random(StreamSeed(options_.seed, kItems));
    MakeTable(items_, random, {Clamp(options_.lines / 30, 30, 5000), 3, {2, 3, 4}, {2, 3}},
              texts_.item_names);
    auto writer = Open("ITEM.TXT");
    TableWriter& w = *writer;
    const std::size_t iid = w.Column("IID"), name = w.Column("NAME"), klass = w.Column("CLASS"),
                      order = w.Column("DORDER"), leaf = w.Column("ISLEAF");
    for (std::size_t i = 0; i < items_.codes.size(); ++i) {
      const Code& code = items_.codes[i];
      items_.referable.push_back(i);
      w[iid] = code.text;
      SetSegments(w, code);
      w[name] = items_.names[i];
      w[klass] = std::to_string(code.segments.size());
      w[order] = std::to_string(i + 1);
      w[leaf] = code.leaf ? "1" : "0";
      w.EndRow();
    }
    Finish("ITEM.TXT", w);
  }

  // A reference into `table`: mostly an existing code, now and then one that
  // matches nothing. Sets the code and, when it matches, the name.
  static void Reference(Random& random, const CodeTable& table, std::string& code,
                        std::string* name) {
    if (table.referable.empty() || random.PerMille(5)) {
      code = table.Unmatched(random);
      return;
    }
    const std::size_t i = random.Pick(table.referable);
    code = table.codes[i].text;
    if (name != nullptr) *name = table.names[i];
  }

  // About one voucher for three lines; each voucher's lines follow it in
  // BOOKDETAIL, numbered from 1. About 2% of the vouchers are cancelled, and
  // all their lines with them.
  void WriteVouchers() {
    Random random(StreamSeed(options_.seed, kVouchers));
    auto book_writer = Open("BOOK.TXT");
    auto detail_writer = Open("BOOKDETAIL.TXT");
    TableWriter& book = *book_writer;
    TableWriter& detail = *detail_writer;
    const std::size_t b_bookno = book.Column("BOOKNO"), b_month = book.Column("MONTH"),
                      b_day = book.Column("DAY"), b_total = book.Column("TOTALMONEY"),
                      b_user = book.Column("USERID"), b_name = book.Column("NAME"),
                      b_bankname = book.Column("BANKNAME"), b_bankno = book.Column("BANKNO"),
                      b_sid = book.Column("SID"), b_voudate = book.Column("VOUDATE"),
                      b_bills = book.Column("BILLS"), b_voucherno = book.Column("VOUCHERNO"),
                      b_canceled = book.Column("CANCELED"), b_debcre = book.Column("DEBCRE"),
                      b_ratifier = book.Column("RATIFIERNAME"),
                      b_transactor = book.Column("TRANSACTORNAME");
    const std::size_t d_bookno = detail.Column("BOOKNO"), d_line = detail.Column("LINE"),
                      d_summary = detail.Column("SUMMARY"), d_sid = detail.Column("SID"),
                      d_sname = detail.Column("SNAME"), d_iid = detail.Column("IID"),
                      d_iname = detail.Column("INAME"), d_bid = detail.Column("BID"),
                      d_bname = detail.Column("BNAME"), d_total = detail.Column("TOTALMONEY"),
                      d_debcre = detail.Column("DEBCRE"), d_remark = detail.Column("REMARK"),
                      d_canceled = detail.Column("CANCELED"),
                      d_ratifier = detail.Column("RATIFIERNAME"),
                      d_transactor = detail.Column("TRANSACTORNAME");
    const int days = DaysInYear(year_);
    const std::uint64_t expected_vouchers = std::max<std::uint64_t>(1, options_.lines / 3);
    std::uint64_t remaining = options_.lines;
    std::uint64_t orphans = 0;
    std::uint64_t voucher = 0;
    while (remaining > 0) {
      const std::uint64_t lines = std::min<std::uint64_t>(remaining, random.Between(1, 5));
      remaining -= lines;
      ++voucher;
      const int day_of_year = static_cast<int>(
          std::min<std::uint64_t>(days - 1, (voucher - 1) * days / expected_vouchers));
      const Date date = DateOfDay(year_, day_of_year);
      const bool canceled = random.PerMille(20);
      const std::string bookno = std::to_string(voucher);
      const std::string& ratifier = random.Pick(texts_.people);
      const std::string& transactor = random.Pick(texts_.people);
      std::int64_t debit = 0;
      std::string first_sid;
      for (std::uint64_t line = 1; line <= lines; ++line) {
        if (random.PerMille(2)) {
          // A line whose voucher is missing from BOOK.
          detail[d_bookno] = std::to_string(options_.lines + 1000000000 + ++orphans);
          detail[d_line] = "1";
        } else {
          detail[d_bookno] = bookno;
          detail[d_line] = std::to_string(line);
        }
        detail[d_summary] = random.PerMille(10) ? random.Pick(texts_.quoted_summaries)
                                                : random.Pick(texts_.summaries);
        Reference(random, accounts_, detail[d_sid], &detail[d_sname]);
        if (line == 1) first_sid = detail[d_sid];
        if (random.PerMille(700)) Reference(random, items_, detail[d_iid], &detail[d_iname]);
        if (random.PerMille(800)) Reference(random, budgets_, detail[d_bid], &detail[d_bname]);
        std::int64_t cents = RandomCents(random);
        if (random.PerMille(10)) cents = -cents;  // a red-ink correction
        const bool is_debit = lines == 1 || line < lines;
        if (is_debit) debit += cents;
        detail[d_total] = Money(cents);
        detail[d_debcre] = is_debit ? "1" : "-1";
        if (random.PerMille(30)) detail[d_remark] = random.Pick(texts_.remarks);
        detail[d_canceled] = canceled ? "1" : "0";
        detail[d_ratifier] = ratifier;
        detail[d_transactor] = transactor;
        detail.EndRow();
      }
      book[b_bookno] = bookno;
      book[b_month] = std::to_string(date.month);
      book[b_day] = std::to_string(date.day);
      book[b_total] = Money(debit);
      book[b_user] = std::to_string(random.Between(1, 40));
      book[b_name] = random.Pick(texts_.people);
      if (random.PerMille(400)) {
        book[b_bankname] = random.Pick(texts_.banks);
        book[b_bankno] = std::to_string(random.Between(100000000000ull, 999999999999ull));
      }
      book[b_sid] = first_sid;
      book[b_voudate] = year_text_ + (date.month < 10 ? "-0" : "-") + std::to_string(date.month) +
                        (date.day < 10 ? "-0" : "-") + std::to_string(date.day);
      book[b_bills] = std::to_string(random.Between(0, 6));
      book[b_voucherno] = bookno;
      book[b_canceled] = canceled ? "1" : "0";
      book[b_debcre] = "1";
      book[b_ratifier] = ratifier;
      book[b_transactor] = transactor;
      book.EndRow();
    }
    vouchers_ = voucher;
    Finish("BOOK.TXT", book);
    Finish("BOOKDETAIL.TXT", detail);
  }

  // A small loan register pointing at existing vouchers.
  void WriteLoans() {
    Random random(StreamSeed(options_.seed, kLoans));
    auto writer = Open("LOAN.TXT");
    TableWriter& w = *writer;
    const std::size_t eid = w.Column("EID"), month = w.Column("MONTH"), day = w.Column("DAY"),
                      id = w.Column("ID"), user = w.Column("USERID"), name = w.Column("NAME"),
                      remark = w.Column("REMARK"), money = w.Column("MONEY"), sid = w.Column("SID"),
                      sname = w.Column("SNAME"), bookno = w.Column("BOOKNO"),
                      line = w.Column("LINE"), debcre = w.Column("DEBCRE"),
                      canceled = w.Column("CANCELED");
    const std::uint64_t count = Clamp(options_.lines / 1000, 5, 200);
    for (std::uint64_t i = 0; i < count; ++i) {
      const Date date =
          DateOfDay(year_, static_cast<int>(random.Between(0, DaysInYear(year_) - 1)));
      w[eid] = std::to_string(random.Between(1, 300));
      w[month] = std::to_string(date.month);
      w[day] = std::to_string(date.day);
      w[id] = std::to_string(i + 1);
      w[user] = std::to_string(random.Between(1, 40));
      w[name] = random.Pick(texts_.people);
      if (random.PerMille(300)) w[remark] = random.Pick(texts_.remarks);
      w[money] = Money(RandomCents(random));
      Reference(random, accounts_, w[sid], &w[sname]);
      if (vouchers_ > 0) {
        w[bookno] = std::to_string(random.Between(1, vouchers_));
        w[line] = "1";
      }
      w[debcre] = random.PerMille(500) ? "1" : "-1";
      w[canceled] = "0";
      w.EndRow();
    }
    Finish("LOAN.TXT", w);
  }

  // About one balance row for twenty voucher lines.
  void WriteBalances() {
    Random random(StreamSeed(options_.seed, kBalances));
    auto writer = Open("REMAIN.TXT");
    TableWriter& w = *writer;
    const std::size_t id = w.Column("ID"), sid = w.Column("SID"), iid = w.Column("IID"),
                      bid = w.Column("BID"), bal00 = w.Column("BAL00");
    const std::uint64_t count = options_.lines / 20;
    for (std::uint64_t i = 0; i < count; ++i) {
      w[id] = std::to_string(i + 1);
      Reference(random, accounts_, w[sid], nullptr);
      if (random.PerMille(500)) Reference(random, items_, w[iid], nullptr);
      if (random.PerMille(500)) Reference(random, budgets_, w[bid], nullptr);
      std::int64_t cents = RandomCents(random);
      if (random.PerMille(100)) cents = -cents;
      w[bal00] = Money(cents);
      w.EndRow();
    }
    Finish("REMAIN.TXT", w);
  }

  const ExportOptions options_;
  const fs::path dir_;
  const ExportTexts texts_;
  int year_ = 0;
  std::string year_text_;
  CodeTable accounts_;
  CodeTable budgets_;
  CodeTable items_;
  std::uint64_t vouchers_ = 0;
  ExportCounts counts_;
};

}  // namespace

ExportCounts GenerateExport(const ExportOptions& options, const std::string& out_dir) {
  std::error_code error;
  fs::create_directories(out_dir, error);
  if (error) throw std::runtime_error("cannot create folder " + out_dir + ": " + error.message());
  return Export(options, out_dir).Run();
}

}  // namespace dt::bench
