// The source table catalogue: the seven known export files and the column
// header line each staged copy carries (the column names the later SQL
// steps read).
#include "src/staging/catalogue.h"

#include "platform/codepage.h"
#include "src/staging/text_utils.h"

namespace dt {

const std::array<CatalogueEntry, 7>& SourceCatalogue() {
  static const std::array<CatalogueEntry, 7> kCatalogue = {{
      {"ACCOUNTSECTIONS.TXT",
       "SETID,YEAR,SID,ID1,ID2,ID3,ID4,ID5,ID6,NAME,ABBREVIATION,REMARK,CODE,FORMULA,BID,"
       "INTERFACEID,ENABLED,CLASS,DORDER,USED,ISLEAF,ISENTERPRISE,ISITEM,ISALLOCATE,ISALLOCRE,"
       "DEBCRE,BAL00,BAL01,DEB01,CRE01,BAL02,DEB02,CRE02,BAL03,DEB03,CRE03,BAL04,DEB04,CRE04,BAL05,"
       "DEB05,CRE05,BAL06,DEB06,CRE06,BAL07,DEB07,CRE07,BAL08,DEB08,CRE08,BAL09,DEB09,CRE09,BAL10,"
       "DEB10,CRE10,BAL11,DEB11,CRE11,BAL12,DEB12,CRE12,BAL13,DEB13,CRE13,ASSISTTYPE,ISBUDGET",
       {"SID"}},
      {"BOOK.TXT",
       "SETID,YEAR,BOOKNO,MONTH,DAY,TOTALMONEY,USERID,SETTLETYPE,SETTLENO,NAME,OFFICIALID,DEPTID,"
       "BANKNAME,BANKNO,SID,VOUDATE,BILLS,VOUCHERNO,EID,MBOOKNO,NUMBER_C,CANCELED,AUDITORID,HEADID,"
       "C_BOOKNO,DEBCRE,IID,INAME,BID,BNAME,ISPAYOFF,ISCHECKED,NODENO,BATCHNO,BANKSERIAL,MYEAR,"
       "CYEAR,RATIFIERID,RATIFIERNAME,TRANSACTORID,TRANSACTORNAME,OBOOKNO,SETTLESID,RECEIVERID",
       {"BOOKNO"}},
      {"BOOKDETAIL.TXT",
       "SETID,YEAR,BOOKNO,LINE,SUMMARY,SID,SNAME,IID,INAME,BID,BNAME,TOTALMONEY,ASSISTTYPE,"
       "ASSISTID,ISPUBLISH,KEEPED,C_LINE,DEBCRE,COLOR,REMARK,DEPARTMENTID,ISSELF,EID,CANCELED,"
       "RATIFIERID,RATIFIERNAME,TRANSACTORID,TRANSACTORNAME",
       {"BOOKNO", "SID", "BID", "IID"}},
      {"BUDGETSECTION.TXT",
       "YEAR,BID,ID1,ID2,ID3,ID4,ID5,ID6,NAME,ABBREVIATION,CODE,REMARK,FORMULA,INTERFACEID,CLASS,"
       "DORDER,USED,ISLEAF,STATUS,USERS,ENTERPRISES,ISCONTROL",
       {"BID"}},
      {"ITEM.TXT",
       "SETID,YEAR,IID,ID1,ID2,ID3,ID4,ID5,ID6,NAME,ABBREVIATION,CODE,REMARK,FORMULA,INTERFACEID,"
       "ISACCOUNT,ISASSIST,CLASS,DORDER,USED,ISLEAF,STATUS,USERS,PAYSTYLE,ENTERPRISES,"
       "NEEDEDSACTION",
       {"IID"}},
      {"LOAN.TXT",
       "SETID,YEAR,EID,ASSISTID,MONTH,DAY,MAINID,ID,USERID,NAME,REMARK,MONEY,SID,SNAME,FLAG,BOOKNO,"
       "LINE,DEBCRE,CANCELED",
       {}},
      {"REMAIN.TXT", "SETID,YEAR,ID,SID,EID,IID,BAL00,BID,ISPLAN", {"SID", "BID", "IID"}},
  }};
  return kCatalogue;
}

const CatalogueEntry* CatalogueEntryFor(std::string_view file_name) {
  const std::string upper = platform::AsciiUpperCase(file_name);
  const CatalogueEntry* found = nullptr;
  for (const CatalogueEntry& entry : SourceCatalogue()) {
    if (Equal(upper, entry.file_name)) found = &entry;
  }
  return found;
}

const std::string* HeaderLineFor(std::string_view file_name) {
  const CatalogueEntry* entry = CatalogueEntryFor(file_name);
  return entry != nullptr ? &entry->header_line : nullptr;
}

}  // namespace dt
