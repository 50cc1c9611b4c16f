// The Windows form on a real Jet 4.0 database, against the stand-in: for a
// person with a Windows machine that runs 32-bit programs (Jet 4.0 is part
// of it). Makes an empty Jet 4 database with ADOX as the template,
// generates an export and adds to it what the generator does not write (a
// UTF-8 file holding Chinese text, a field over 255 characters, a SID with
// a trailing space, NULL codes, a voucher line whose voucher is missing),
// runs DoIt on it twice in one process (dealtext-host --runs 2) with that
// template (the ADO engine), does the same with an empty template (the
// stand-in), and compares every table of the two work databases, whatever
// differs first: columns (their names without regard to letter case, a
// difference in case only noted), then rows as a multiset (Jet's SELECT INTO
// may store rows in another order than SQLite), with PZ's flxh checked as
// a numbering 1..n without gaps or repeats rather than value by value. It
// reports each run's time and whether KORVA.ldb is left beside the work
// database after each run and after the process. It then holds the Jet
// work database open itself and checks that a run on it ends with "0" and
// the run failure message in the host's log. Last it prints a table of
// probes, each question asked of Jet and of the stand-in (dealtext-probe),
// their answers side by side; an answer is information, never a failure.
// Exit 0 when the databases are the same, nothing is left held and the
// held database fails the run as it should; 1 when they differ, a run fails
// or leaves the work database held, or the held database does not end the
// run with "0" and its message; 2 when the check cannot be made (no Jet
// provider, as under Wine, or a missing program).
//
//   cscript //nologo scripts\check-jet.js BUILD_DIR [LINES]
//   cscript //nologo scripts\check-jet.js --self-test BUILD_DIR
//
// BUILD_DIR holds the Windows form's programs: dealtext-host.exe,
// dealtext.dll, dealtext-standin.dll (the DLL built for tests, which also
// takes the stand-in's template), Halvaren.dll, dealtext-genexport.exe,
// dealtext-dumpdb.exe and dealtext-probe.exe. LINES is the export's number of voucher lines
// (20000 unless given). The work folder is left in %TEMP% for a look
// afterwards. --self-test tries the script's own workings that need no Jet
// (reading a child's output, comparing dumps, asking the stand-in a probe)
// and exits 0 when they hold, 1 when not.
var shell = WScript.CreateObject("WScript.Shell");
var files = WScript.CreateObject("Scripting.FileSystemObject");

// Everything goes to the standard output: Wine's script host has no
// StdOut or StdErr objects, only Echo.
function say(text) {
  WScript.Echo(text);
}

function stop(text, code) {
  say("check-jet: " + text);
  WScript.Quit(code);
}

// Environment variables expanded (Wine's expansion ends in a NUL, dropped).
function expand(text) {
  return shell.ExpandEnvironmentStrings(text).replace(/\0/g, "");
}

function quote(text) {
  return '"' + text + '"';
}

// Text files through ADODB.Stream, in the character set named ("gb2312" is
// the system's name for code page 936; "utf-8" writes a byte-order mark).
function readText(path, charset) {
  var stream = new ActiveXObject("ADODB.Stream");
  stream.Type = 2;
  stream.Charset = charset;
  stream.Open();
  stream.LoadFromFile(path);
  var text = stream.ReadText();
  stream.Close();
  return text;
}
function writeText(path, charset, text) {
  var stream = new ActiveXObject("ADODB.Stream");
  stream.Type = 2;
  stream.Charset = charset;
  stream.Open();
  stream.WriteText(text);
  stream.SaveToFile(path, 2);
  stream.Close();
}

function removeFile(path) {
  try {
    if (files.FileExists(path)) files.DeleteFile(path, true);
  } catch (error) {
    // Left in %TEMP%; nothing depends on it.
  }
}

// A child's output file as text: UTF-8, as the build's programs write it,
// through ADODB.Stream; ANSI when `ansi` (a script host's output) or where
// the stream reads no files (Wine's).
function readOutput(path, ansi) {
  if (!files.FileExists(path) || files.GetFile(path).Size === 0) return "";
  if (!ansi) {
    try {
      return readText(path, "utf-8");
    } catch (error) {
      // Read as ANSI below.
    }
  }
  var file = files.OpenTextFile(path, 1);
  var text = file.ReadAll();
  file.Close();
  return text;
}

// Runs a command line through cmd, its standard output and error written to
// files and read once it has ended, so that a child that writes much to
// either never waits on a full pipe. With `outputPath` its standard output
// is left in that file and not read; with `ansi` both are read as ANSI
// text. Its output, error output and exit status, and how long it took in
// seconds.
function run(command, outputPath, ansi) {
  var started = new Date().getTime();
  var temp = expand("%TEMP%");
  var output = outputPath || files.BuildPath(temp, files.GetTempName());
  var errors = files.BuildPath(temp, files.GetTempName());
  var status = shell.Run("cmd /s /c \"" + command + " > " + quote(output) + " 2> " +
                         quote(errors) + "\"", 0, true);
  var result = {
    output: outputPath ? "" : readOutput(output, ansi).replace(/\s+$/, ""),
    errors: readOutput(errors, ansi).replace(/\s+$/, ""),
    status: status,
    seconds: (new Date().getTime() - started) / 1000
  };
  if (!outputPath) removeFile(output);
  removeFile(errors);
  return result;
}

var args = [];
for (var i = 0; i < WScript.Arguments.length; ++i) args.push(WScript.Arguments(i));
var selfTest = args.length > 0 && args[0] === "--self-test";
if (selfTest) args.shift();
if (args.length < 1 || args.length > (selfTest ? 1 : 2)) {
  stop("usage: cscript //nologo check-jet.js [--self-test] BUILD_DIR [LINES]", 2);
}

// The build folder as an absolute path, so that the 32-bit restart below
// finds it whatever folder that host starts in.
var build = files.GetAbsolutePathName(args[0]);

// A path as one quoted argument: a trailing backslash would escape the
// closing quote, so a path that ends in one (a drive's root) gets a dot.
function quotePath(path) {
  return quote(/\\$/.test(path) ? path + "." : path);
}

if (selfTest) WScript.Quit(runSelfTest());

// Jet is there for 32-bit programs only: a 64-bit script host hands the
// check to the 32-bit one.
if (expand("%PROCESSOR_ARCHITECTURE%") !== "x86") {
  var host32 = expand("%SystemRoot%\\SysWOW64\\cscript.exe");
  if (!files.FileExists(host32)) stop("no 32-bit script host at " + host32, 2);
  var again = run(quote(host32) + " //nologo " + quote(WScript.ScriptFullName) + " " +
                  quotePath(build) + (args.length > 1 ? " " + args[1] : ""), null, true);
  if (again.output) say(again.output);
  if (again.errors) say(again.errors);
  WScript.Quit(again.status);
}

var lines = args.length > 1 ? args[1] : "20000";
var programs = ["dealtext-host.exe", "dealtext.dll", "dealtext-standin.dll", "Halvaren.dll",
                "dealtext-genexport.exe", "dealtext-dumpdb.exe", "dealtext-probe.exe"];
for (var p = 0; p < programs.length; ++p) {
  if (!files.FileExists(files.BuildPath(build, programs[p]))) {
    stop(programs[p] + " is not in " + build, 2);
  }
}

var work = files.BuildPath(expand("%TEMP%"),
                           "dealtext-check-" + new Date().getTime());
var forms = ["jet", "standin"];
files.CreateFolder(work);
for (var f = 0; f < forms.length; ++f) {
  files.CreateFolder(work + "\\" + forms[f]);
  files.CreateFolder(work + "\\" + forms[f] + "\\DataBase");
  files.CreateFolder(work + "\\" + forms[f] + "\\TemplateTemp");
}

// The Jet template: an empty Jet 4 database made by the provider itself.
var jetTemplate = work + "\\jet\\DataBase\\empty.mdb";
function failure(error) {
  return error.message + " (error 0x" + (error.number >>> 0).toString(16) + ")";
}
// Without Jet there is nothing to check, and nothing to keep. (The script
// ends there at its top level, outside any catch block: Wine's script host,
// where this is the way every check ends, crashes on quitting a script this
// long from within one.) The registry is asked first whether ADOX is there
// at all: an ActiveXObject that fails to be made leaves Wine's script host
// crashing at its exit.
var noJet = null;
var catalog;
try {
  shell.RegRead("HKCR\\ADOX.Catalog\\CLSID\\");
} catch (error) {
  noJet = "no Jet 4.0 database can be made here: ADOX is not registered (error 0x" +
          (error.number >>> 0).toString(16) + ").";
}
if (!noJet) {
  try {
    catalog = new ActiveXObject("ADOX.Catalog");
  } catch (error) {
    noJet = "no Jet 4.0 database can be made here: ADOX is not there (" + failure(error) + ").";
  }
}
if (noJet) noJet += " Wine has neither ADOX nor the Jet 4.0 provider; the check needs Windows.";
if (!noJet) {
  try {
    catalog.Create("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + jetTemplate);
    catalog.ActiveConnection.Close();
  } catch (error) {
    noJet = "the Jet 4.0 provider cannot make a database here: " + failure(error) +
            ". It comes with Windows, for 32-bit programs only.";
  }
}
if (noJet) {
  files.DeleteFolder(work, true);
  say("check-jet: " + noJet);
  WScript.Quit(2);
}
// The run copies the template: the catalog and its session must have let go
// of it first, or the copy fails or takes a file Jet has not finished.
try {
  catalog.ActiveConnection = null;
} catch (error) {
  // Closed already; releasing the catalog below is what counts.
}
catalog = null;
CollectGarbage();

// Waits up to `seconds` for the file at `path` to be gone; whether it is.
function waitUntilGone(path, seconds) {
  for (var waited = 0; files.FileExists(path); waited += 0.5) {
    if (waited >= seconds) return false;
    WScript.Sleep(500);
  }
  return true;
}
var templateLock = work + "\\jet\\DataBase\\empty.ldb";
if (!waitUntilGone(templateLock, 120)) {
  stop(templateLock + " is still there two minutes after the catalog was released", 2);
}
// The stand-in's template: an empty file is an empty database.
files.CreateTextFile(work + "\\standin\\DataBase\\empty.mdb", true).Close();

say("check-jet: working in " + work);
var exported = work + "\\export";
var generated = run(quote(build + "\\dealtext-genexport.exe") + " --lines " + lines +
                    " --seed 11 --out " + quote(exported));
if (generated.status !== 0) stop("cannot generate the export: " + generated.errors, 2);

// One comma-separated record of `text` from `start`: its fields ("" for an
// empty one) and where the next record starts.
function readRecord(text, start) {
  var fields = [];
  var field = "";
  var i = start;
  var quoted = false;
  for (; i < text.length; ++i) {
    var c = text.charAt(i);
    if (quoted) {
      if (c !== '"') {
        field += c;
      } else if (text.charAt(i + 1) === '"') {
        field += c;
        ++i;
      } else {
        quoted = false;
      }
    } else if (c === '"') {
      quoted = true;
    } else if (c === ",") {
      fields.push(field);
      field = "";
    } else if (c === "\r" || c === "\n") {
      break;
    } else {
      field += c;
    }
  }
  fields.push(field);
  while (i < text.length && (text.charAt(i) === "\r" || text.charAt(i) === "\n")) ++i;
  return {fields: fields, next: i};
}
function writeRecord(fields) {
  var out = [];
  for (var i = 0; i < fields.length; ++i) {
    var field = fields[i];
    out.push(/[,"\r\n]/.test(field) ? '"' + field.replace(/"/g, '""') + '"' : field);
  }
  return out.join(",");
}
function columnOf(header, name) {
  for (var i = 0; i < header.length; ++i) {
    if (header[i].toUpperCase() === name) return i;
  }
  stop("the generated export has no column " + name, 2);
}

// A voucher line the export adds whose voucher is not in BOOK.
var orphanBookNo = "ORPHAN-90004";

// Adds to the export in `folder` what the generator does not write.
// BUDGETSECTION.TXT becomes a UTF-8 file; it must hold text beyond ASCII
// (the budget sections' Chinese names), or CharacterSet=65001 would reach
// Jet with nothing to decode. Four voucher lines are added, copies of the
// first with lines of their own: a SUMMARY of 300 characters, a SID with a
// trailing space, the codes SID, IID and BID empty (NULL), and a BOOKNO no
// voucher has.
function addAwkwardValues(folder) {
  var budgets = readText(folder + "\\BUDGETSECTION.TXT", "gb2312");
  if (!/[^\x00-\x7f]/.test(budgets)) {
    stop("the generated BUDGETSECTION.TXT holds no Chinese text for its UTF-8 copy", 2);
  }
  writeText(folder + "\\BUDGETSECTION.TXT", "utf-8", budgets);
  var details = readText(folder + "\\BOOKDETAIL.TXT", "gb2312");
  var header = readRecord(details, 0);
  var first = readRecord(details, header.next).fields;
  var column = {};
  var names = ["LINE", "SUMMARY", "SID", "IID", "BID", "BOOKNO"];
  for (var n = 0; n < names.length; ++n) column[names[n]] = columnOf(header.fields, names[n]);
  function variant(line, changes) {
    var fields = first.slice(0);
    fields[column.LINE] = line;
    for (var name in changes) fields[column[name]] = changes[name];
    return writeRecord(fields) + "\r\n";
  }
  var longSummary = new Array(31).join("\u957f\u6458\u8981 012345");  // 300 characters
  if (!/\r\n$/.test(details)) details += "\r\n";
  details += variant("90001", {SUMMARY: longSummary}) +
             variant("90002", {SID: first[column.SID] + " "}) +
             variant("90003", {SID: "", IID: "", BID: ""}) +
             variant("90004", {BOOKNO: orphanBookNo});
  writeText(folder + "\\BOOKDETAIL.TXT", "gb2312", details);
}

// The host program's command line for `form`: the stand-in's runs load the
// build of the DLL for tests that carries it (the shipping DLL takes only
// an Access template).
function hostCommand(form, runs, base) {
  var dll = form === "standin" ? " --dll dealtext-standin.dll" : "";
  // The host's log library writes where HALVAREN_LOG says. The base
  // directory goes without its trailing backslash, which would escape the
  // closing quote; the host adds it.
  return "set " + quote("HALVAREN_LOG=" + work + "\\" + form + ".log") + " && " +
         quote(build + "\\dealtext-host.exe") + dll + " --runs " + runs + " " + quote(base) +
         " " + quote(exported);
}

function logOf(form) {
  var log = work + "\\" + form + ".log";
  return files.FileExists(log) ? readText(log, "utf-8") : "(no log)";
}

// Two runs of DoIt in one process, one straight after the other, with the
// template of `form`. The host reports each run's time and the files it
// finds beside the work database when DoIt has returned. The work
// database's path, and what KORVA.ldb's presence was after the runs and
// after the process.
function runTwice(form) {
  var base = work + "\\" + form;
  var ran = run(hostCommand(form, 2, base));
  var reported = ran.output.split(/\r?\n/);
  if (ran.status !== 0 || reported.length !== 4) {
    stop("the runs with the " + form + " template failed (output '" + ran.output + "' " +
         ran.errors + "); its log:\n" + logOf(form), 1);
  }
  var held = false;
  var beside = [];
  for (var line = 1; line < 4; line += 2) {
    say("check-jet: " + form + " template, " + reported[line]);
    beside.push(reported[line].replace(/^.*beside the work database: /, ""));
    if (/KORVA\.ldb/i.test(reported[line])) held = true;
  }
  var left = files.FileExists(base + "\\TemplateTemp\\KORVA.ldb");
  say("check-jet: " + form + " template, after the process: KORVA.ldb " +
      (left ? "is still there" : "is gone"));
  return {
    database: reported[2],
    held: held || left,
    ldb: "after Close: " + beside.join(" / ") + "; after the process: " +
             (left ? "KORVA.ldb still there" : "nothing")
  };
}

// A work database as dealtext-dumpdb writes it: its tables, each with its
// name, its column line and its rows (one line each).
function dumpOf(database, form) {
  var text = work + "\\" + form + ".dump.txt";
  var dumped = run(quote(build + "\\dealtext-dumpdb.exe") + " " + quote(database), text);
  if (dumped.status !== 0) stop("cannot read the " + form + " work database: " + dumped.errors, 2);
  return tablesOf(readText(text, "utf-8"));
}

function tablesOf(dump) {
  var lines = dump.split(/\r?\n/);
  var tables = [];
  for (var i = 0; i < lines.length; ++i) {
    if (lines[i].indexOf("== ") === 0) {
      tables.push({name: lines[i].substring(3), columns: lines[i + 1], rows: []});
      ++i;
    } else if (lines[i] !== "" && tables.length > 0) {
      tables[tables.length - 1].rows.push(lines[i]);
    }
  }
  return tables;
}

// The values of a dumped row: SQL literals joined by commas, where a quoted
// text may hold commas and doubled quotes.
function valuesOf(row) {
  var values = [];
  var value = "";
  var quoted = false;
  for (var i = 0; i < row.length; ++i) {
    var c = row.charAt(i);
    if (c === "'") quoted = !quoted;  // a doubled quote toggles twice
    if (c === "," && !quoted) {
      values.push(value);
      value = "";
    } else {
      value += c;
    }
  }
  values.push(value);
  return values;
}

// PZ's flxh is a numbering: each of 1..n once, in whatever order the rows
// were stored. Checks that it is, and takes it out of the rows, which are
// then compared without it. Null when it is; what is wrong when not.
function takeNumbering(table, form) {
  var columns = table.columns.split("|");
  var at = -1;
  for (var i = 0; i < columns.length; ++i) {
    if (columns[i].toLowerCase() === "flxh") at = i;
  }
  if (at < 0) return form + ": PZ has no column flxh";
  var seen = [];
  for (var r = 0; r < table.rows.length; ++r) {
    var values = valuesOf(table.rows[r]);
    var number = values[at];
    if (!/^[0-9]+$/.test(number) || +number < 1 || +number > table.rows.length || seen[+number]) {
      return form + ": PZ.flxh " + number + " in a numbering of " + table.rows.length + " rows";
    }
    seen[+number] = true;
    values[at] = "#";
    table.rows[r] = values.join(",");
  }
  return null;
}

// The tables of `tables` by their names in capitals.
function byName(tables) {
  var named = {};
  for (var i = 0; i < tables.length; ++i) named[tables[i].name.toUpperCase()] = tables[i];
  return named;
}

// Compares every table of the two databases, matched by name without
// regard to letter case, whatever differs first: a table found in one only,
// then its columns (their names without regard to case; a difference in
// case alone is a note), then, where the columns agree, its rows as
// multisets. At most `shown` lines of each table's differences are kept,
// with the number of the others. The differences and the notes; counts
// the tables and rows compared in `totals`.
function differencesOf(jetTables, standinTables, totals, shown) {
  var found = [];
  var notes = [];
  var jet = byName(jetTables);
  var standin = byName(standinTables);
  var names = [];
  for (var name in jet) names.push(name);
  for (name in standin) {
    if (!jet[name]) names.push(name);
  }
  names.sort();
  for (var t = 0; t < names.length; ++t) {
    var a = jet[names[t]];
    var b = standin[names[t]];
    if (!a || !b) {
      found.push("table " + (a || b).name + " only in the " + (a ? "jet" : "stand-in") +
                 " database");
      continue;
    }
    totals.tables += 1;
    var lines = [];
    if (a.columns.toUpperCase() !== b.columns.toUpperCase()) {
      found.push(a.name + " columns:\n  jet:      " + a.columns + "\n  stand-in: " + b.columns);
      continue;
    }
    if (a.columns !== b.columns || a.name !== b.name) {
      notes.push(a.name + ": names differ in letter case only:\n  jet:      " + a.name + ": " +
                 a.columns + "\n  stand-in: " + b.name + ": " + b.columns);
    }
    if (names[t] === "PZ") {
      var wrongJet = takeNumbering(a, "jet");
      var wrongStandin = takeNumbering(b, "stand-in");
      if (wrongJet) lines.push(wrongJet);
      if (wrongStandin) lines.push(wrongStandin);
    }
    // The rows as multisets: both sorted, then walked side by side.
    a.rows.sort();
    b.rows.sort();
    totals.rows += a.rows.length;
    var i = 0;
    var j = 0;
    while (i < a.rows.length || j < b.rows.length) {
      if (j >= b.rows.length || (i < a.rows.length && a.rows[i] < b.rows[j])) {
        lines.push(a.name + " row only in the jet database:      " + a.rows[i]);
        ++i;
      } else if (i >= a.rows.length || b.rows[j] < a.rows[i]) {
        lines.push(a.name + " row only in the stand-in database: " + b.rows[j]);
        ++j;
      } else {
        ++i;
        ++j;
      }
    }
    for (var k = 0; k < lines.length && k < shown; ++k) found.push(lines[k]);
    if (lines.length > shown) {
      found.push(a.name + ": " + (lines.length - shown) + " more differences");
    }
  }
  return {differences: found, notes: notes};
}

// Holds the Jet work database open with a connection of the script's own,
// shared with no one, and runs DoIt once on it: the run must end with "0"
// and the run failure message in the host's log. What is wrong; null when
// the run failed as it should.
function heldDatabaseFailsTheRun() {
  var base = work + "\\jet";
  var holder = new ActiveXObject("ADODB.Connection");
  holder.Mode = 12;  // adModeShareExclusive
  holder.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + base +
              "\\TemplateTemp\\KORVA.mdb");
  var log = work + "\\jet.log";
  removeFile(log);
  var ran = run(hostCommand("jet", 1, base));
  holder.Close();
  holder = null;
  CollectGarbage();
  var result = ran.output.split(/\r?\n/)[0];
  var logged = logOf("jet");
  // "数据预处理出现异常！", the frame of the run failure message.
  var frame = "\u6570\u636e\u9884\u5904\u7406\u51fa\u73b0\u5f02\u5e38\uff01";
  say("check-jet: a run on the held work database: result '" + result + "'; its log:\n" + logged);
  if (result !== "0") return "the run on the held work database did not end with \"0\"";
  if (logged.indexOf(frame) < 0) return "the host's log holds no run failure message";
  return null;
}

// The probes: questions whose answer only Jet can give, each asked of Jet
// and of the stand-in through dealtext-probe on copies of the two work
// databases and on small text files of their own.
var pzColumns =
    "a.TotalMoney, a.DEBCRE, a.SUMMARY, b.BOOKNO, b.BILLS, c.SID,  ";
var pzFrom =
    ", c.NewCode,  d.BID as funcode, e.IID as progcode into %TABLE% From ((((bookdetail as a " +
    "left join book as b on a.BOOKNO = b.BOOKNO) left join accountsections as c on a.SID = " +
    "c.SID) left join budgetsection as d on a.BID = d.BID)left join item as e on a.IID = " +
    "e.IID) where a.CANCELED = '0' ";
var pzWritten = "Select " + pzColumns + "cdate(b.YEAR+'-'+b.MONTH+'-'+b.DAY) as PZRQ" + pzFrom;
var pzChosen = "Select " + pzColumns +
               "IIf(b.BOOKNO Is Null, Null, cdate(IIf(b.BOOKNO Is Null, '1899-12-30', " +
               "b.YEAR+'-'+b.MONTH+'-'+b.DAY))) as PZRQ" + pzFrom;

// What dealtext-probe printed, as one answer: the error, the rows' values,
// or what a command did.
function answerOf(probed) {
  if (probed.status === 2) return "(not asked: " + probed.errors + ")";
  var lines = probed.output.split(/\r?\n/);
  var parts = [];
  for (var i = 0; i < lines.length; ++i) {
    if (/^(error|done): /.test(lines[i])) parts.push(lines[i]);
    if (/^row: /.test(lines[i])) parts.push(lines[i].substring(5));
  }
  return parts.join("; ");
}

// `text` as one argument of a command line, as programs split theirs
// (CommandLineToArgvW): quoted, a quote inside it and the backslashes
// before a quote escaped.
function argument(text) {
  return '"' + text.replace(/(\\*)"/g, '$1$1\\"').replace(/(\\+)$/, "$1$1") + '"';
}

// Asks `engine` ("jet" or "standin") the statements on `connection`.
function probe(engine, connection, statements) {
  var command = quote(build + "\\dealtext-probe.exe") + " " + engine + " " + argument(connection);
  for (var i = 0; i < statements.length; ++i) command += " " + argument(statements[i]);
  return run(command);
}

function databaseConnection(path) {
  return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path + ";Persist Security Info=False";
}
function textConnection(folder) {
  return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + folder +
         "\\;Extended Properties=text;Persist Security Info=False";
}

// A text file for the probes without a byte-order mark, as an export is
// written: UTF-8 or code page 936.
function writeExportText(path, charset, text) {
  var stream = new ActiveXObject("ADODB.Stream");
  stream.Type = 2;
  stream.Charset = charset;
  stream.Open();
  stream.WriteText(text);
  stream.Position = 0;
  stream.Type = 1;
  if (charset === "utf-8") stream.Position = 3;
  var bytes = new ActiveXObject("ADODB.Stream");
  bytes.Type = 1;
  bytes.Open();
  stream.CopyTo(bytes);
  bytes.SaveToFile(path, 2);
  bytes.Close();
  stream.Close();
}

// The folder of text files the probes import, with the schema.ini that
// declares them as the run declares staged files.
function writeProbeFiles(folder) {
  files.CreateFolder(folder);
  var chinese = "\u9884\u7b97\u79d1\u76ee \u73b0\u91d1";
  var wide = new Array(31).join("0123456789");  // 300 characters
  var schema = "";
  function add(name, charset, column, type, body) {
    writeExportText(folder + "\\" + name, charset, column + "\r\n" + body + "\r\n");
    schema += "[" + name + "]\r\nColNameHeader=True\r\nFormat=CSVDelimited\r\nMaxScanRows=0\r\n" +
              "CharacterSet=" + (charset === "utf-8" ? "65001" : "936") + "\r\nCol1=\"" + column +
              "\" " + type + "\r\n";
  }
  add("LONGA.TXT", "gb2312", "K", "LongChar", "1.01\r\n1.02");
  add("LONGB.TXT", "gb2312", "K", "LongChar", "1.01\r\n1.03");
  add("WIDE.TXT", "gb2312", "V", "Text", wide);
  add("CHINESE.TXT", "utf-8", "V", "Text", chinese);
  writeText(folder + "\\schema.ini", "gb2312", schema);
  return {chinese: chinese, wide: wide};
}

// A connection's Errors collection, as one line: what the ADO engine reads
// a failure's kind from (Jet is taken to give its number as the SQLState).
function errorsOf(connection) {
  var parts = [];
  for (var i = 0; i < connection.Errors.Count; ++i) {
    var error = connection.Errors.Item(i);
    parts.push("Number 0x" + (error.Number >>> 0).toString(16) + ", NativeError " +
               error.NativeError + ", SQLState '" + error.SQLState + "', Source '" +
               error.Source + "', " + error.Description);
  }
  return parts.length > 0 ? parts.join(" | ") : "(no entries)";
}

// Jet's Errors collection for a plain statement failure and for a database
// another connection holds, on the Jet probe database.
function jetErrors(database) {
  var source = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + database + ";OLE DB Services=-2";
  var answers = {};
  var first = new ActiveXObject("ADODB.Connection");
  first.Open(source);
  try {
    first.Execute("select * from NoSuchTable");
    answers.statement = "(no failure)";
  } catch (error) {
    answers.statement = errorsOf(first);
  }
  first.Close();
  first.Mode = 12;  // adModeShareExclusive
  first.Open(source);
  var second = new ActiveXObject("ADODB.Connection");
  try {
    second.Open(source);
    answers.lock = "(no failure)";
    second.Close();
  } catch (error) {
    answers.lock = errorsOf(second);
  }
  first.Close();
  return answers;
}

// Each probe's question and both answers.
function askProbes(jetRuns, standinRuns) {
  var rows = [];
  var answers = {jet: {}, standin: {}};
  var forms = ["jet", "standin"];
  var expected;
  for (var f = 0; f < forms.length; ++f) {
    var form = forms[f];
    var runs = form === "jet" ? jetRuns : standinRuns;
    var database = work + "\\probe-" + form + ".mdb";
    files.CopyFile(runs.database, database, true);
    var folder = work + "\\probe-" + form;
    expected = writeProbeFiles(folder);
    var connection = databaseConnection(database);
    var answer = answers[form];
    probe(form, connection,
          ["create table One (X varchar(10), Y varchar(10))", "insert into One (Y) values ('y')"]);
    answer.cdateNull = answerOf(probe(form, connection, ["select CDate(Null) as V from One"]));
    answer.chosenNull = answerOf(probe(form, connection, [
      "select IIf(X Is Null, Null, cdate(IIf(X Is Null, '1899-12-30', X))) as V from One"
    ]));
    // Texts the stand-in reads as oleaut32 does, or refuses on purpose.
    var dates = ["2024-13-1", "30-1-1", "2024--1", "2024-1-5 10:00", "0099-1-1"];
    var read = [];
    for (var t = 0; t < dates.length; ++t) {
      read.push(dates[t] + " " + answerOf(probe(form, connection, [
        "select CDate('" + dates[t] + "') as V from One"
      ])));
    }
    answer.dates = read.join("; ");
    var tables = {pzWritten: pzWritten, pzChosen: pzChosen};
    for (var name in tables) {
      var table = name.toUpperCase();
      answer[name] = answerOf(probe(form, connection, [
        tables[name].replace("%TABLE%", table), "select count(*) as N from " + table,
        "select count(*) as N from " + table + " where PZRQ is null"
      ]));
    }
    // Each file by itself, so that one the engine refuses hides no other.
    var imports = [];
    var names = ["LONGA", "LONGB", "WIDE", "CHINESE"];
    for (var n = 0; n < names.length; ++n) {
      imports.push(names[n] + ".TXT " + answerOf(probe(form, textConnection(folder), [
        "select * into " + names[n] + " in \"" + database + "\" from " + names[n] + ".TXT"
      ])));
    }
    answer.imports = imports.join("; ");
    answer.memoJoin = answerOf(probe(form, connection, [
      "select count(*) as N from LONGA inner join LONGB on LONGA.K = LONGB.K"
    ]));
    var wide = answerOf(probe(form, connection, ["select V from WIDE"]));
    answer.wide = /^'/.test(wide) ? "length " + (wide.length - 2) : wide;
    var chinese = answerOf(probe(form, connection, ["select V from CHINESE"]));
    answer.chinese = chinese === "'" + expected.chinese + "'" ? "read as written" : chinese;
    var twice = probe(form, connection, ["select BOOKNO, LINE from BOOKDETAIL",
                                         "select BOOKNO, LINE from BOOKDETAIL"]);
    var reads = twice.output.split(/columns: .*\r?\n/);
    answer.order = twice.status !== 0 ? answerOf(twice)
                   : reads.length === 3 && reads[1].replace(/\s+$/, "") === reads[2]
                         ? "the same order"
                         : "another order";
    answer.ldb = runs.ldb;
    var errors = form === "jet" ? jetErrors(database)
                                : {statement: "(typed errors, no Errors collection)",
                                   lock: "(typed errors, no Errors collection)"};
    answer.errorsStatement = errors.statement;
    answer.errorsLock = errors.lock;
    // What the run told the text driver of the UTF-8 file.
    var schema = work + "\\" + form + "\\TemplateTemp\\schema.ini";
    var section = files.FileExists(schema)
                      ? /\[BUDGETSECTION\.TXT\][^\[]*?CharacterSet=([^\r\n]*)/i.exec(
                            readText(schema, "gb2312"))
                      : null;
    answer.charset = section ? "CharacterSet=" + section[1] : "(no such section)";
  }
  var questions = [
    ["CDate(Null)", "cdateNull"],
    ["the chosen form on Null: IIf(X Is Null, Null, cdate(IIf(X Is Null, '1899-12-30', X)))",
     "chosenNull"],
    ["CDate of texts the stand-in refuses or reads on purpose", "dates"],
    ["PZ as the system writes it, with an orphan voucher line (made; rows; PZRQ Null)",
     "pzWritten"],
    ["PZ with the chosen form of PZRQ (made; rows; PZRQ Null)", "pzChosen"],
    ["the probe files imported (LongChar, Text, CharacterSet=65001)", "imports"],
    ["a join on a LongChar column", "memoJoin"],
    ["a 300-character value under Text", "wide"],
    ["Chinese text under CharacterSet=65001", "chinese"],
    ["schema.ini of the run: BUDGETSECTION.TXT (written as UTF-8)", "charset"],
    ["two reads of BOOKDETAIL without ORDER BY", "order"],
    ["KORVA.ldb after Close (DoIt returned) and after the process", "ldb"],
    ["the Errors collection of a statement on a missing table", "errorsStatement"],
    ["the Errors collection of opening a database held exclusively", "errorsLock"]
  ];
  for (var q = 0; q < questions.length; ++q) {
    rows.push({
      question: questions[q][0],
      jet: answers.jet[questions[q][1]],
      standin: answers.standin[questions[q][1]]
    });
  }
  return rows;
}

function printProbes(rows) {
  say("check-jet: probes (information, not failures):");
  for (var r = 0; r < rows.length; ++r) {
    say("  " + rows[r].question + "\n    jet:      " + rows[r].jet + "\n    stand-in: " +
        rows[r].standin);
  }
}

// The script's own workings that need no Jet. The number of failures.
function runSelfTest() {
  var failures = 0;
  function expect(holds, what) {
    if (!holds) {
      say("check-jet self-test: FAILED: " + what);
      ++failures;
    }
  }
  var temp = files.BuildPath(expand("%TEMP%"), "dealtext-selftest-" + new Date().getTime());
  files.CreateFolder(temp);

  // A child that fills its error output before it writes its output: read
  // through pipes one after the other, it would wait on a full pipe.
  var big = temp + "\\big.txt";
  var file = files.CreateTextFile(big, true);
  for (var i = 0; i < 4000; ++i) file.WriteLine("0123456789012345678901234567890123456789");
  file.Close();
  var size = files.GetFile(big).Size;
  var ran = run("cmd /c \"type " + quote(big) + " 1>&2 & type " + quote(big) + " & exit 7\"");
  expect(ran.status === 7, "the child's exit status " + ran.status + ", not 7");
  expect(ran.errors.length + 2 === size && ran.output.length + 2 === size,
         "the child's output and error output whole (" + ran.output.length + ", " +
             ran.errors.length + " of " + size + " characters)");

  // Every table compared, whatever differs first; letter case a note.
  var jet = tablesOf("== AIDINFO\nA|B\n'1',2\n== KMYE\nx\n'k'\n== PZ\nflxh|v\n1,'a'\n2,'b'\n" +
                     "== T1\nc\n'only jet'\n");
  var standin = tablesOf("== aidInfo\na|B\n'1',2\n== KMYE\nx\n'K'\n== PZ\nflxh|v\n2,'a'\n" +
                         "1,'b'\n== T1\nc\n'only stand-in'\n== T2\nc\n");
  var totals = {tables: 0, rows: 0};
  var compared = differencesOf(jet, standin, totals, 10);
  var text = compared.differences.join("\n");
  expect(totals.tables === 4, totals.tables + " tables compared, not 4");
  expect(compared.notes.length === 1 && /^AIDINFO: names differ in letter case/.test(
                                            compared.notes[0]),
         "one note of letter case: " + compared.notes.join("; "));
  expect(/KMYE row only in the jet database: +'k'/.test(text) &&
             /T1 row only in the stand-in database: 'only stand-in'/.test(text) &&
             /table T2 only in the stand-in database/.test(text) && !/PZ/.test(text) &&
             compared.differences.length === 5,
         "the differences of every table:\n" + text);
  var many = {name: "M", columns: "c", rows: []};
  for (i = 0; i < 15; ++i) many.rows.push("'" + i + "'");
  compared = differencesOf([many], [{name: "M", columns: "c", rows: []}], {tables: 0, rows: 0}, 10);
  expect(compared.differences.length === 11 && /M: 5 more differences/.test(
                                                   compared.differences[10]),
         "a table's differences cut at ten: " + compared.differences.join("; "));

  // A probe asked of the stand-in, quotes and spaces in its statements.
  var database = temp + "\\probe.mdb";
  files.CreateTextFile(database, true).Close();
  var answer = answerOf(probe("standin", databaseConnection(database), [
    "create table One (X varchar(20))", "insert into One (X) values ('it''s \"one\"')",
    "select X from One", "select Y from One"
  ]));
  expect(/^done: -?[0-9]+; done: 1; 'it''s "one"'; error: ./.test(answer),
         "the stand-in's answers: " + answer);

  files.DeleteFolder(temp, true);
  say("check-jet self-test: " + (failures === 0 ? "passed" : failures + " failed"));
  return failures === 0 ? 0 : 1;
}

addAwkwardValues(exported);
var jetRuns = runTwice("jet");
var standinRuns = runTwice("standin");
var held = jetRuns.held || standinRuns.held;
var totals = {tables: 0, rows: 0};
var compared = differencesOf(dumpOf(jetRuns.database, "jet"),
                             dumpOf(standinRuns.database, "standin"), totals, 10);
for (var d = 0; d < compared.differences.length; ++d) say(compared.differences[d]);
for (var n = 0; n < compared.notes.length; ++n) say("check-jet: note: " + compared.notes[n]);
if (compared.differences.length === 0) {
  say("check-jet: the two work databases are the same: " + totals.tables + " tables, " +
      totals.rows + " rows");
} else {
  say("check-jet: the work databases differ (differences above)");
}
if (held) say("check-jet: a run left the Jet work database held (KORVA.ldb)");
// A probe that cannot be asked at all is information too.
try {
  printProbes(askProbes(jetRuns, standinRuns));
} catch (error) {
  say("check-jet: the probes could not all be asked: " + failure(error));
}
var heldWrong;
try {
  heldWrong = heldDatabaseFailsTheRun();
} catch (error) {
  heldWrong = "the work database cannot be held for the failing run: " + failure(error);
}
if (heldWrong) say("check-jet: " + heldWrong);
WScript.Quit(compared.differences.length === 0 && !held && !heldWrong ? 0 : 1);
