// The derived tables. The statements are the engine's SQL dialect, kept
// exactly as the host's later conversion expects them (doubled spaces
// included); the two Chinese literals are written here in UTF-8 and turned
// into ANSI text once.
#include "src/workdb/derived_tables.h"

#include <string>

#include "platform/codepage.h"
#include "src/workdb/statement_runner.h"

namespace dt {

namespace {

// KMYE: every balance row of REMAIN with its account's NewCode and DEBCRE
// and its budget section and item codes.
constexpr char8_t kMakeBalances[] =
    u8"select a.bal00, b.NewCode, b.DEBCRE, c.BID as funcode, d.IID as progcode into KMYE from "
    u8"(((Remain as a left join Accountsections as b on a.SID = b.SID)left join budgetsection as c "
    u8"on a.BID = c.BID) left join item as d on a.IID = d.IID)";

// PZ: every voucher line not cancelled, with its voucher, date and account.
// A line whose voucher is missing has no date. Jet's cdate refuses a Null,
// and its IIf may evaluate both branches, so the Null of a missing voucher
// never reaches cdate: the inner IIf gives it a date to read, the outer one
// drops that date again. A voucher of its own with no year still fails.
constexpr char8_t kMakeVoucherLines[] =
    u8"Select a.TotalMoney, a.DEBCRE, a.SUMMARY, b.BOOKNO, b.BILLS, c.SID,  "
    u8"IIf(b.BOOKNO Is Null, Null, cdate(IIf(b.BOOKNO Is Null, '1899-12-30', "
    u8"b.YEAR+'-'+b.MONTH+'-'+b.DAY))) as PZRQ, c.NewCode,  d.BID as funcode, e.IID as "
    u8"progcode into PZ From ((((bookdetail as a left join book as b on a.BOOKNO = b.BOOKNO) left "
    u8"join accountsections as c on a.SID = c.SID) left join budgetsection as d on a.BID = "
    u8"d.BID)left join item as e on a.IID = e.IID) where a.CANCELED = '0' ";

// flxh numbers every voucher line; the clean-up pass relies on it.
constexpr char8_t kNumberVoucherLines[] = u8"alter table PZ add column flxh AUTOINCREMENT";

// aidInfo: the auxiliary code list.
constexpr char8_t kMakeAidInfo[] =
    u8"Create Table aidInfo(AidType varchar(250),AidCode varchar(250),AidName varchar(250),AidDec "
    u8"varchar(250),AidVouSourceFiledName varchar(250),AidBalSourceFiledName varchar(250))";

// Budget sections with a code.
constexpr char8_t kAddBudgetSections[] =
    u8"insert into "
    u8"aidInfo(AidType,AidCode,AidName,AidDec,AidVouSourceFiledName,AidBalSourceFiledName) select "
    u8"'预算' as AidType, BID as AidCode, [NAME] as AidName,'' as AidDec,'funCode' as "
    u8"AidVouSourceFiledName, 'funCode' as  AidBalSourceFiledName from budgetsection where BID is "
    u8"not null and BID <>''";

// Project items with a code.
constexpr char8_t kAddItems[] =
    u8"insert into "
    u8"aidInfo(AidType,AidCode,AidName,AidDec,AidVouSourceFiledName,AidBalSourceFiledName) select "
    u8"'项目' as AidType, IID as AidCode, [NAME] as AidName,'' as AidDec,'progCode' as "
    u8"AidVouSourceFiledName, 'progCode' as  AidBalSourceFiledName from item Where IID is not null "
    u8"and IID <> ''";

}  // namespace

const std::array<std::u8string_view, 6> kDerivedStatements = {
    kMakeBalances, kMakeVoucherLines,  kNumberVoucherLines,
    kMakeAidInfo,  kAddBudgetSections, kAddItems};

void BuildDerivedTables(Connection& connection, BuildEvents& events) {
  for (std::size_t i = 0; i < kDerivedStatements.size(); ++i) {
    RunStatement(platform::Ansi(kDerivedStatements[i]), connection, events);
    if (i == 2 || i == 5) events.AdvanceProgress(10);
  }
}

}  // namespace dt
