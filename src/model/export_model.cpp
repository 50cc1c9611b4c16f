// The export model's declarations.
#include "src/model/export_model.h"

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

// The columns `table` is joined on, in the order the references name them.
std::vector<std::string> JoinKeysOf(std::string_view table) {
  std::vector<std::string> keys;
  auto add = [&keys](std::string_view column) {
    for (const std::string& key : keys) {
      if (key == column) return;
    }
    keys.emplace_back(column);
  };
  for (const JoinReference& reference : JoinReferences()) {
    if (reference.rows_table == table) add(reference.key_column);
    if (reference.looked_up_table == table) add(reference.looked_up_column);
  }
  return keys;
}

}  // namespace

const std::array<SourceTable, 7>& SourceTables() {
  static const std::array<SourceTable, 7> kTables = [] {
    std::array<SourceTable, 7> tables = {{
        {"ACCOUNTSECTIONS.TXT",
         "SETID,YEAR,SID,ID1,ID2,ID3,ID4,ID5,ID6,NAME,ABBREVIATION,REMARK,CODE,FORMULA,BID,"
         "INTERFACEID,ENABLED,CLASS,DORDER,USED,ISLEAF,ISENTERPRISE,ISITEM,ISALLOCATE,ISALLOCRE,"
         "DEBCRE,BAL00,BAL01,DEB01,CRE01,BAL02,DEB02,CRE02,BAL03,DEB03,CRE03,BAL04,DEB04,CRE04,"
         "BAL05,DEB05,CRE05,BAL06,DEB06,CRE06,BAL07,DEB07,CRE07,BAL08,DEB08,CRE08,BAL09,DEB09,"
         "CRE09,BAL10,DEB10,CRE10,BAL11,DEB11,CRE11,BAL12,DEB12,CRE12,BAL13,DEB13,CRE13,"
         "ASSISTTYPE,ISBUDGET"},
        {"BOOK.TXT",
         "SETID,YEAR,BOOKNO,MONTH,DAY,TOTALMONEY,USERID,SETTLETYPE,SETTLENO,NAME,OFFICIALID,DEPTID,"
         "BANKNAME,BANKNO,SID,VOUDATE,BILLS,VOUCHERNO,EID,MBOOKNO,NUMBER_C,CANCELED,AUDITORID,"
         "HEADID,C_BOOKNO,DEBCRE,IID,INAME,BID,BNAME,ISPAYOFF,ISCHECKED,NODENO,BATCHNO,BANKSERIAL,"
         "MYEAR,CYEAR,RATIFIERID,RATIFIERNAME,TRANSACTORID,TRANSACTORNAME,OBOOKNO,SETTLESID,"
         "RECEIVERID"},
        {"BOOKDETAIL.TXT",
         "SETID,YEAR,BOOKNO,LINE,SUMMARY,SID,SNAME,IID,INAME,BID,BNAME,TOTALMONEY,ASSISTTYPE,"
         "ASSISTID,ISPUBLISH,KEEPED,C_LINE,DEBCRE,COLOR,REMARK,DEPARTMENTID,ISSELF,EID,CANCELED,"
         "RATIFIERID,RATIFIERNAME,TRANSACTORID,TRANSACTORNAME"},
        {"BUDGETSECTION.TXT",
         "YEAR,BID,ID1,ID2,ID3,ID4,ID5,ID6,NAME,ABBREVIATION,CODE,REMARK,FORMULA,INTERFACEID,CLASS,"
         "DORDER,USED,ISLEAF,STATUS,USERS,ENTERPRISES,ISCONTROL"},
        {"ITEM.TXT",
         "SETID,YEAR,IID,ID1,ID2,ID3,ID4,ID5,ID6,NAME,ABBREVIATION,CODE,REMARK,FORMULA,INTERFACEID,"
         "ISACCOUNT,ISASSIST,CLASS,DORDER,USED,ISLEAF,STATUS,USERS,PAYSTYLE,ENTERPRISES,"
         "NEEDEDSACTION"},
        {"LOAN.TXT",
         "SETID,YEAR,EID,ASSISTID,MONTH,DAY,MAINID,ID,USERID,NAME,REMARK,MONEY,SID,SNAME,FLAG,"
         "BOOKNO,LINE,DEBCRE,CANCELED"},
        {"REMAIN.TXT", "SETID,YEAR,ID,SID,EID,IID,BAL00,BID,ISPLAN"},
    }};
    for (SourceTable& table : tables) {
      table.join_keys =
          JoinKeysOf(std::string_view(table.file_name)
                         .substr(0, table.file_name.size() - std::string_view(".TXT").size()));
    }
    return tables;
  }();
  return kTables;
}

const std::array<std::u8string_view, 6>& DerivedStatements() {
  static constexpr std::array<std::u8string_view, 6> kStatements = {
      kMakeBalances, kMakeVoucherLines,  kNumberVoucherLines,
      kMakeAidInfo,  kAddBudgetSections, kAddItems};
  return kStatements;
}

const std::array<JoinReference, 7>& JoinReferences() {
  static constexpr std::array<JoinReference, 7> kReferences = {{
      {"PZ", "BOOKDETAIL", "BOOKNO", "BOOK", "BOOKNO", "CANCELED", "0"},
      {"PZ", "BOOKDETAIL", "SID", "ACCOUNTSECTIONS", "SID", "CANCELED", "0"},
      {"PZ", "BOOKDETAIL", "BID", "BUDGETSECTION", "BID", "CANCELED", "0"},
      {"PZ", "BOOKDETAIL", "IID", "ITEM", "IID", "CANCELED", "0"},
      {"KMYE", "REMAIN", "SID", "ACCOUNTSECTIONS", "SID", "", ""},
      {"KMYE", "REMAIN", "BID", "BUDGETSECTION", "BID", "", ""},
      {"KMYE", "REMAIN", "IID", "ITEM", "IID", "", ""},
  }};
  return kReferences;
}

const std::vector<CleanupEntry>& CleanupEntries() {
  static const std::vector<CleanupEntry> kEntries = {
      {"aidInfo", {"aidCode"}, {"aidCode"}, {}},
      {"accountsections", {"SID"}, {"SID"}, {}},
      {"BOOK", {"BOOKNO", "SID"}, {"SID"}, {"BOOKNO"}},
      {"BOOKDETAIL",
       {"BOOKNO", "LINE", "SID", "BID", "IID"},
       {"SID", "BID", "IID"},
       {"BOOKNO", "LINE"}},
      {"budgetsection", {"BID"}, {"BID"}, {}},
      {"item", {"IID"}, {"IID"}, {}},
      {"KMYE", {"NewCode", "funcode", "progcode"}, {"funcode", "progcode"}, {}},
      {"PZ", {"flxh", "SID", "funcode", "progcode"}, {"SID", "funcode", "progcode"}, {"flxh"}},
      {"remain", {"ID", "SID", "IID", "BID"}, {"SID", "IID", "BID"}, {"ID"}},
  };
  return kEntries;
}

}  // namespace dt
