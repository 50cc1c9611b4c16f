// The Windows form on a real Jet 4.0 database, against the stand-in: for a
// person with a Windows machine that runs 32-bit programs (Jet 4.0 is part
// of it). Makes an empty Jet 4 database with ADOX as the template,
// generates an export and adds to it what the generator does not write (a
// UTF-8 file, a field over 255 characters, a SID with a trailing space,
// NULL codes), runs DoIt on it twice in one process (dealtext-host --runs
// 2) with that template (the ADO engine), does the same with an empty
// template (the stand-in), and compares every table of the two work
// databases: columns, then rows as a multiset (Jet's SELECT INTO may store
// rows in another order than SQLite), with PZ's flxh checked as a numbering
// 1..n without gaps or repeats rather than value by value. It reports each
// run's time and whether KORVA.ldb is left beside the work database after
// each run and after the process. Exit 0 when the databases are the same
// and nothing is left held, 1 when they differ, a run fails or a run
// leaves the work database held, 2 when the check cannot be made (no Jet
// provider, as under Wine, or a missing program).
//
//   cscript //nologo scripts\check-jet.js BUILD_DIR [LINES]
//
// BUILD_DIR holds the Windows form's programs: dealtext-host.exe,
// dealtext.dll, Halvaren.dll, dealtext-genexport.exe and dealtext-dumpdb.exe.
// LINES is the export's number of voucher lines (20000 unless given). The
// work folder is left in %TEMP% for a look afterwards.
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

// Runs a command line; its output, error output and exit status, and how
// long it took in seconds.
function run(command) {
  var started = new Date().getTime();
  var process = shell.Exec(command);
  var output = process.StdOut.ReadAll();
  var errors = process.StdErr.ReadAll();
  while (process.Status === 0) WScript.Sleep(50);
  return {
    output: output.replace(/\s+$/, ""),
    errors: errors.replace(/\s+$/, ""),
    status: process.ExitCode,
    seconds: (new Date().getTime() - started) / 1000
  };
}

var args = [];
for (var i = 0; i < WScript.Arguments.length; ++i) args.push(WScript.Arguments(i));
if (args.length < 1 || args.length > 2) {
  stop("usage: cscript //nologo check-jet.js BUILD_DIR [LINES]", 2);
}

// The build folder as an absolute path, so that the 32-bit restart below
// finds it whatever folder that host starts in.
var build = files.GetAbsolutePathName(args[0]);

// A path as one quoted argument: a trailing backslash would escape the
// closing quote, so a path that ends in one (a drive's root) gets a dot.
function quotePath(path) {
  return quote(/\\$/.test(path) ? path + "." : path);
}

// Jet is there for 32-bit programs only: a 64-bit script host hands the
// check to the 32-bit one.
if (expand("%PROCESSOR_ARCHITECTURE%") !== "x86") {
  var host32 = expand("%SystemRoot%\\SysWOW64\\cscript.exe");
  if (!files.FileExists(host32)) stop("no 32-bit script host at " + host32, 2);
  var again = run(quote(host32) + " //nologo " + quote(WScript.ScriptFullName) + " " +
                  quotePath(build) + (args.length > 1 ? " " + args[1] : ""));
  if (again.output) say(again.output);
  if (again.errors) say(again.errors);
  WScript.Quit(again.status);
}

var lines = args.length > 1 ? args[1] : "20000";
var programs = ["dealtext-host.exe", "dealtext.dll", "Halvaren.dll", "dealtext-genexport.exe",
                "dealtext-dumpdb.exe"];
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
// long from within one.)
var noJet = null;
var catalog;
try {
  catalog = new ActiveXObject("ADOX.Catalog");
} catch (error) {
  noJet = "no Jet 4.0 database can be made here: ADOX is not there (" + failure(error) +
          "). Wine has neither ADOX nor the Jet 4.0 provider; the check needs Windows.";
}
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

// Adds to the export in `folder` what the generator does not write.
// REMAIN.TXT becomes a UTF-8 file. Three voucher lines are added, copies of
// the first with lines of their own: a SUMMARY of 300 characters, a SID
// with a trailing space, and the codes SID, IID and BID empty (NULL).
function addAwkwardValues(folder) {
  writeText(folder + "\\REMAIN.TXT", "utf-8", readText(folder + "\\REMAIN.TXT", "gb2312"));
  var details = readText(folder + "\\BOOKDETAIL.TXT", "gb2312");
  var header = readRecord(details, 0);
  var first = readRecord(details, header.next).fields;
  var column = {};
  var names = ["LINE", "SUMMARY", "SID", "IID", "BID"];
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
             variant("90003", {SID: "", IID: "", BID: ""});
  writeText(folder + "\\BOOKDETAIL.TXT", "gb2312", details);
}

// Two runs of DoIt in one process, one straight after the other, with the
// template of `form`. The host reports each run's time and the files it
// finds beside the work database when DoIt has returned. The work
// database's path, and whether KORVA.ldb was left after a run.
function runTwice(form) {
  var base = work + "\\" + form;
  var log = work + "\\" + form + ".log";
  // The host's log library writes where HALVAREN_LOG says. The base
  // directory goes without its trailing backslash, which would escape the
  // closing quote; the host adds it.
  var ran = run("cmd /s /c \"set " + quote("HALVAREN_LOG=" + log) + " && " +
                quote(build + "\\dealtext-host.exe") + " --runs 2 " + quote(base) + " " +
                quote(exported) + "\"");
  var reported = ran.output.split(/\r?\n/);
  if (ran.status !== 0 || reported.length !== 4) {
    stop("the runs with the " + form + " template failed (output '" + ran.output + "' " +
         ran.errors + "); its log:\n" +
         (files.FileExists(log) ? files.OpenTextFile(log, 1).ReadAll() : "(no log)"), 1);
  }
  var held = false;
  for (var line = 1; line < 4; line += 2) {
    say("check-jet: " + form + " template, " + reported[line]);
    if (/KORVA\.ldb/i.test(reported[line])) held = true;
  }
  var left = files.FileExists(base + "\\TemplateTemp\\KORVA.ldb");
  say("check-jet: " + form + " template, after the process: KORVA.ldb " +
      (left ? "is still there" : "is gone"));
  return {database: reported[2], held: held || left};
}

// A work database as dealtext-dumpdb writes it: its tables, each with its
// name, its column line and its rows (one line each).
function dumpOf(database, form) {
  var text = work + "\\" + form + ".dump.txt";
  var dumped = run("cmd /s /c \"" + quote(build + "\\dealtext-dumpdb.exe") + " " + quote(database) +
                   " > " + quote(text) + "\"");
  if (dumped.status !== 0) stop("cannot read the " + form + " work database: " + dumped.errors, 2);
  var lines = readText(text, "utf-8").split(/\r?\n/);
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

// The first differences between the two databases' tables: none when
// they are the same. Counts the tables and rows compared in `totals`.
function differencesOf(jetTables, standinTables, totals) {
  var found = [];
  function differ(text) {
    if (found.length < 20) found.push(text);
  }
  var count = Math.max(jetTables.length, standinTables.length);
  for (var t = 0; t < count; ++t) {
    var jet = jetTables[t];
    var standin = standinTables[t];
    if (!jet || !standin || jet.name.toUpperCase() !== standin.name.toUpperCase()) {
      differ("tables: jet " + (jet ? jet.name : "(none)") + ", stand-in " +
             (standin ? standin.name : "(none)"));
      break;
    }
    totals.tables += 1;
    if (jet.columns !== standin.columns) {
      differ(jet.name + " columns:\n  jet:      " + jet.columns + "\n  stand-in: " +
             standin.columns);
      continue;
    }
    if (jet.name.toUpperCase() === "PZ") {
      var wrongJet = takeNumbering(jet, "jet");
      var wrongStandin = takeNumbering(standin, "stand-in");
      if (wrongJet) differ(wrongJet);
      if (wrongStandin) differ(wrongStandin);
    }
    // The rows as multisets: both sorted, then walked side by side.
    jet.rows.sort();
    standin.rows.sort();
    totals.rows += jet.rows.length;
    var a = 0;
    var b = 0;
    while (a < jet.rows.length || b < standin.rows.length) {
      if (b >= standin.rows.length || (a < jet.rows.length && jet.rows[a] < standin.rows[b])) {
        differ(jet.name + " row only in the jet database:      " + jet.rows[a]);
        ++a;
      } else if (a >= jet.rows.length || standin.rows[b] < jet.rows[a]) {
        differ(jet.name + " row only in the stand-in database: " + standin.rows[b]);
        ++b;
      } else {
        ++a;
        ++b;
      }
    }
  }
  return found;
}

addAwkwardValues(exported);
var jetRuns = runTwice("jet");
var standinRuns = runTwice("standin");
var held = jetRuns.held || standinRuns.held;
var totals = {tables: 0, rows: 0};
var differences =
    differencesOf(dumpOf(jetRuns.database, "jet"), dumpOf(standinRuns.database, "standin"), totals);
for (var d = 0; d < differences.length; ++d) say(differences[d]);
if (differences.length === 0) {
  say("check-jet: the two work databases are the same: " + totals.tables + " tables, " +
      totals.rows + " rows");
} else {
  say("check-jet: the work databases differ (first differences above)");
}
if (held) say("check-jet: a run left the Jet work database held (KORVA.ldb)");
WScript.Quit(differences.length === 0 && !held ? 0 : 1);
