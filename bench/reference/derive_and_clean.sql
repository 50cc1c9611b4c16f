-- The reference workload for the benchmark, in SQLite's own dialect: what
-- the tool does after the import, written set-based for the sqlite3 shell.
-- Run after `.import --csv` of the staged files into a fresh database.
ALTER TABLE ACCOUNTSECTIONS ADD COLUMN NewCode TEXT;
UPDATE ACCOUNTSECTIONS SET NewCode = replace(SID, '.', '');

CREATE TABLE KMYE AS
SELECT a.BAL00 AS bal00, b.NewCode, b.DEBCRE, c.BID AS funcode, d.IID AS progcode
FROM REMAIN AS a
LEFT JOIN ACCOUNTSECTIONS AS b ON a.SID = b.SID
LEFT JOIN BUDGETSECTION AS c ON a.BID = c.BID
LEFT JOIN ITEM AS d ON a.IID = d.IID;

CREATE TABLE PZ (TotalMoney, DEBCRE, SUMMARY, BOOKNO, BILLS, SID, PZRQ, NewCode, funcode,
                 progcode, flxh INTEGER PRIMARY KEY AUTOINCREMENT);
INSERT INTO PZ (TotalMoney, DEBCRE, SUMMARY, BOOKNO, BILLS, SID, PZRQ, NewCode, funcode, progcode)
SELECT a.TOTALMONEY, a.DEBCRE, a.SUMMARY, b.BOOKNO, b.BILLS, c.SID,
       date(printf('%04d-%02d-%02d', b.YEAR, b.MONTH, b.DAY)), c.NewCode, d.BID, e.IID
FROM BOOKDETAIL AS a
LEFT JOIN BOOK AS b ON a.BOOKNO = b.BOOKNO
LEFT JOIN ACCOUNTSECTIONS AS c ON a.SID = c.SID
LEFT JOIN BUDGETSECTION AS d ON a.BID = d.BID
LEFT JOIN ITEM AS e ON a.IID = e.IID
WHERE a.CANCELED = '0';

CREATE TABLE aidInfo (AidType, AidCode, AidName, AidDec, AidVouSourceFiledName, AidBalSourceFiledName);
INSERT INTO aidInfo SELECT 'budget', BID, NAME, '', 'funCode', 'funCode' FROM BUDGETSECTION
  WHERE BID IS NOT NULL AND BID <> '';
INSERT INTO aidInfo SELECT 'project', IID, NAME, '', 'progCode', 'progCode' FROM ITEM
  WHERE IID IS NOT NULL AND IID <> '';

BEGIN;
UPDATE aidInfo SET AidCode = replace(trim(AidCode), '.', '0');
UPDATE ACCOUNTSECTIONS SET SID = replace(trim(SID), '.', '0');
UPDATE BOOK SET SID = replace(trim(SID), '.', '0');
UPDATE BOOKDETAIL SET SID = replace(trim(SID), '.', '0'), BID = replace(trim(BID), '.', '0'),
                      IID = replace(trim(IID), '.', '0');
UPDATE BUDGETSECTION SET BID = replace(trim(BID), '.', '0');
UPDATE ITEM SET IID = replace(trim(IID), '.', '0');
UPDATE KMYE SET funcode = replace(trim(funcode), '.', '0'), progcode = replace(trim(progcode), '.', '0');
UPDATE PZ SET SID = replace(trim(SID), '.', '0'), funcode = replace(trim(funcode), '.', '0'),
              progcode = replace(trim(progcode), '.', '0');
UPDATE REMAIN SET SID = replace(trim(SID), '.', '0'), IID = replace(trim(IID), '.', '0'),
                  BID = replace(trim(BID), '.', '0');
COMMIT;
