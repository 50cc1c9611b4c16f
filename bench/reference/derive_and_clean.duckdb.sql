-- The reference workload for the benchmark in DuckDB's dialect: the same
-- derived tables, numbering and clean-up as derive_and_clean.sql, set-based.
-- Run after the staged files are imported with read_csv, every column text
-- and empty fields null. A line "-- phase NAME" starts a timed phase.

-- phase account-codes
ALTER TABLE ACCOUNTSECTIONS ADD COLUMN NewCode VARCHAR;
UPDATE ACCOUNTSECTIONS SET NewCode = replace(SID, '.', '');

-- phase derived-tables
CREATE TABLE KMYE AS
SELECT a.BAL00 AS bal00, b.NewCode, b.DEBCRE, c.BID AS funcode, d.IID AS progcode
FROM REMAIN AS a
LEFT JOIN ACCOUNTSECTIONS AS b ON a.SID = b.SID
LEFT JOIN BUDGETSECTION AS c ON a.BID = c.BID
LEFT JOIN ITEM AS d ON a.IID = d.IID;

-- DuckDB has no auto-increment column; row_number() gives every voucher
-- line its own flxh in one pass.
CREATE TABLE PZ AS
SELECT a.TOTALMONEY AS TotalMoney, a.DEBCRE, a.SUMMARY, b.BOOKNO, b.BILLS, c.SID,
       try_cast(b.YEAR || '-' || b.MONTH || '-' || b.DAY AS DATE) AS PZRQ, c.NewCode,
       d.BID AS funcode, e.IID AS progcode, row_number() OVER () AS flxh
FROM BOOKDETAIL AS a
LEFT JOIN BOOK AS b ON a.BOOKNO = b.BOOKNO
LEFT JOIN ACCOUNTSECTIONS AS c ON a.SID = c.SID
LEFT JOIN BUDGETSECTION AS d ON a.BID = d.BID
LEFT JOIN ITEM AS e ON a.IID = e.IID
WHERE a.CANCELED = '0';

CREATE TABLE aidInfo (AidType VARCHAR, AidCode VARCHAR, AidName VARCHAR, AidDec VARCHAR,
                      AidVouSourceFiledName VARCHAR, AidBalSourceFiledName VARCHAR);
INSERT INTO aidInfo SELECT 'budget', BID, NAME, '', 'funCode', 'funCode' FROM BUDGETSECTION
  WHERE BID IS NOT NULL AND BID <> '';
INSERT INTO aidInfo SELECT 'project', IID, NAME, '', 'progCode', 'progCode' FROM ITEM
  WHERE IID IS NOT NULL AND IID <> '';

-- phase cleanup
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
