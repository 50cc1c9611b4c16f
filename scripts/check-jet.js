// The Windows form on a real Jet 4.0 database, against the stand-in: for a
// person with a Windows machine that runs 32-bit programs (Jet 4.0 is part
// of it). Makes an empty Jet 4 database with ADOX as the template, runs
// dealtext-host.exe on a generated export with it (the ADO engine), runs the
// same export again with an empty template (the stand-in), compares every
// table of the two work databases (columns, then rows in stored order) and
// prints both run times. Exit 0 when the databases are the same, 1 when they
// differ or a run fails, 2 when the check cannot be made (no Jet provider,
// as under Wine, or a missing program).
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

// Jet is there for 32-bit programs only: a 64-bit script host hands the
// check to the 32-bit one.
if (expand("%PROCESSOR_ARCHITECTURE%") !== "x86") {
  var host32 = expand("%SystemRoot%\\SysWOW64\\cscript.exe");
  if (!files.FileExists(host32)) stop("no 32-bit script host at " + host32, 2);
  var again = run(quote(host32) + " //nologo " + quote(WScript.ScriptFullName) + " " +
                  quote(args[0]) + (args.length > 1 ? " " + args[1] : ""));
  if (again.output) say(again.output);
  if (again.errors) say(again.errors);
  WScript.Quit(again.status);
}

var build = files.GetAbsolutePathName(args[0]);
var lines = args.length > 1 ? args[1] : "20000";
var programs = ["dealtext-host.exe", "dealtext.dll", "Halvaren.dll", "dealtext-genexport.exe",
                "dealtext-dumpdb.exe"];
for (var p = 0; p < programs.length; ++p) {
  if (!files.FileExists(build + "\\" + programs[p])) {
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
// Without Jet there is nothing to check, and nothing to keep.
function noJet(text) {
  files.DeleteFolder(work, true);
  stop(text, 2);
}
var catalog;
try {
  catalog = new ActiveXObject("ADOX.Catalog");
} catch (error) {
  noJet("no Jet 4.0 database can be made here: ADOX is not there (" + failure(error) +
        "). Wine has neither ADOX nor the Jet 4.0 provider; the check needs Windows.");
}
try {
  catalog.Create("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + jetTemplate);
  catalog.ActiveConnection.Close();
  catalog = null;
} catch (error) {
  noJet("the Jet 4.0 provider cannot make a database here: " + failure(error) +
        ". It comes with Windows, for 32-bit programs only.");
}
// The stand-in's template: an empty file is an empty database.
files.CreateTextFile(work + "\\standin\\DataBase\\empty.mdb", true).Close();

say("check-jet: working in " + work);
var generated = run(quote(build + "\\dealtext-genexport.exe") + " --lines " + lines +
                    " --seed 11 --out " + quote(work + "\\export"));
if (generated.status !== 0) stop("cannot generate the export: " + generated.errors, 2);

var seconds = {};
var results = {};
for (var r = 0; r < forms.length; ++r) {
  var form = forms[r];
  // The host's log library writes where HALVAREN_LOG says. The base
  // directory goes without its trailing backslash, which would escape the
  // closing quote; the host adds it.
  var ran = run("cmd /s /c \"set " + quote("HALVAREN_LOG=" + work + "\\" + form + ".log") +
                " && " + quote(build + "\\dealtext-host.exe") + " " + quote(work + "\\" + form) +
                " " + quote(work + "\\export") + "\"");
  seconds[form] = ran.seconds;
  results[form] = ran.output;
  if (ran.status !== 0) {
    var log = files.FileExists(work + "\\" + form + ".log")
                  ? files.OpenTextFile(work + "\\" + form + ".log", 1).ReadAll()
                  : "(no log)";
    stop("the run with the " + form + " template failed (result '" + ran.output + "' " +
         ran.errors + "); its log:\n" + log, 1);
  }
}

var compared = run(quote(build + "\\dealtext-dumpdb.exe") + " " + quote(results.jet) + " " +
                   quote(results.standin));
say(compared.output);
if (compared.errors) say(compared.errors);
say("check-jet: run with the Jet template (ADO engine): " + seconds.jet.toFixed(1) + " s");
say("check-jet: run with the empty template (stand-in): " + seconds.standin.toFixed(1) + " s");
if (compared.status === 0) {
  say("check-jet: the two work databases are the same");
} else if (compared.status === 1) {
  say("check-jet: the work databases differ (first differences above)");
}
WScript.Quit(compared.status);
