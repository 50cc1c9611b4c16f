// Summary lines, the CSV and HTML forms of the join check, and the file
// they are written to.
#include "cli/report_writer.h"

#include <algorithm>
#include <set>
#include <stdexcept>

#include "platform/codepage.h"
#include "platform/file_io.h"
#include "platform/files.h"

namespace dt::cli {
namespace {

// 4211 as "4,211".
std::string Grouped(std::int64_t number) {
  std::string digits = std::to_string(number < 0 ? -number : number);
  for (std::size_t i = digits.size(); i > 3; i -= 3) digits.insert(i - 3, ",");
  return number < 0 ? "-" + digits : digits;
}

std::string SourceFileOf(const RelationResult& result) {
  return result.source_file.empty() ? std::string(result.relation->source_table) + ".TXT"
                                    : result.source_file;
}

// "line 4,211 of BOOKDETAIL.TXT", or the row's place when the line is unknown.
std::string Where(const RelationResult& result, const BrokenReference& row) {
  if (row.line > 0) return "line " + Grouped(row.line) + " of " + SourceFileOf(result);
  return "row " + Grouped(row.row) + " of " + result.relation->source_table;
}

// "voucher lines whose account (SID) is not in ACCOUNTSECTIONS"
std::string Description(const Relation& relation, std::int64_t count) {
  std::string text = count == 1 ? relation.rows_one : relation.rows_many;
  text += " whose ";
  text += relation.what;
  if (*relation.looked_up_in != '\0') {
    text += std::string(" (") + relation.key_column + ") is not in " + relation.looked_up_in;
  }
  return text;
}

template <typename Rows>
std::vector<std::size_t> ExampleIndexes(const Rows& rows) {
  std::vector<std::size_t> indexes;
  std::set<std::string_view> seen;
  for (std::size_t i = 0; i < rows.size() && indexes.size() < kExamples; ++i) {
    if (seen.insert(rows[i].value).second) indexes.push_back(i);
  }
  return indexes;
}

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::string HtmlText(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

constexpr const char* kStyle =
    "body{font-family:sans-serif;margin:2em;color:#222}"
    "table{border-collapse:collapse;margin-bottom:1.5em}"
    "th,td{border:1px solid #bbb;padding:.25em .6em;text-align:left}"
    "th{background:#eee}td.n{text-align:right}"
    "code{white-space:pre}";

}  // namespace

std::vector<BrokenReference*> ExampleRows(JoinCheck& check) {
  std::vector<BrokenReference*> rows;
  for (RelationResult& result : check.results) {
    for (const std::size_t i : ExampleIndexes(result.rows)) rows.push_back(&result.rows[i]);
  }
  return rows;
}

std::vector<std::string> SummaryLines(const JoinCheck& check) {
  std::vector<std::string> lines;
  for (const RelationResult& result : check.results) {
    if (result.count() == 0) continue;
    std::string line = std::string(result.relation->derived_table) + ": " +
                       Grouped(result.count()) + " " +
                       Description(*result.relation, result.count()) + ", e.g. ";
    const std::vector<std::size_t> examples = ExampleIndexes(result.rows);
    for (std::size_t k = 0; k < examples.size(); ++k) {
      const BrokenReference& row = result.rows[examples[k]];
      if (k > 0) line += ", ";
      line += row.value + " (" + Where(result, row) + ")";
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

std::string CsvReport(const JoinCheck& check) {
  std::string csv = "\xEF\xBB\xBFtable,key,missing value,not found in,source file,line\r\n";
  for (const RelationResult& result : check.results) {
    const Relation& relation = *result.relation;
    const std::string file = CsvField(SourceFileOf(result));
    for (const BrokenReference& row : result.rows) {
      csv += std::string(relation.derived_table) + ',' + relation.key_column + ',' +
             CsvField(row.value) + ',' + relation.looked_up_in + ',' + file + ',' +
             (row.line > 0 ? std::to_string(row.line) : std::string()) + "\r\n";
    }
  }
  return csv;
}

std::string HtmlReport(const JoinCheck& check) {
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<title>dealtext: references that did not join</title>\n<style>";
  html += kStyle;
  html += "</style>\n</head>\n<body>\n<h1>References that did not join</h1>\n";
  std::int64_t total = 0;
  for (const RelationResult& result : check.results) {
    total += result.count();
  }
  if (total == 0) {
    html +=
        "<p>Every voucher line and balance found its voucher, account, budget section and "
        "item, and no account code has more levels than NewCode keeps.</p>\n</body>\n</html>\n";
    return html;
  }
  html += "<table>\n<tr><th>table</th><th>rows</th><th>what did not join</th></tr>\n";
  for (const RelationResult& result : check.results) {
    if (result.count() == 0) continue;
    html += "<tr><td>" + HtmlText(result.relation->derived_table) + "</td><td class=\"n\">" +
            Grouped(result.count()) + "</td><td>" +
            HtmlText(Description(*result.relation, result.count())) + "</td></tr>\n";
  }
  html += "</table>\n";
  for (const RelationResult& result : check.results) {
    if (result.count() == 0) continue;
    const Relation& relation = *result.relation;
    html += "<h2>" + HtmlText(relation.derived_table) + ": " +
            HtmlText(Description(relation, result.count())) + "</h2>\n<table>\n<tr><th>" +
            HtmlText(relation.key_column) + "</th><th>source file</th><th>line</th></tr>\n";
    const std::string file = HtmlText(SourceFileOf(result));
    for (const BrokenReference& row : result.rows) {
      html += "<tr><td><code>" + HtmlText(row.value) + "</code></td><td>" + file +
              "</td><td class=\"n\">" + (row.line > 0 ? Grouped(row.line) : std::string()) +
              "</td></tr>\n";
    }
    html += "</table>\n";
  }
  html += "</body>\n</html>\n";
  return html;
}

bool IsHtmlReportName(std::string_view utf8_path) {
  const std::string upper = platform::AsciiUpperCase(std::string(utf8_path));
  return upper.ends_with(".HTML") || upper.ends_with(".HTM");
}

void WriteReportFile(const std::string& utf8_path, std::string_view bytes) {
  const std::string ansi_path = platform::Utf8ToAnsi(utf8_path);
  // Renamed into place, the report would take the place of a device or a
  // pipe (as root, of the system's own).
  if (platform::FileExists(ansi_path) && !platform::IsRegularFile(ansi_path)) {
    throw std::runtime_error("cannot write the report " + utf8_path + ": it is not a regular file");
  }
  platform::OutputFile file;
  const bool written = file.Create(ansi_path) && file.Write(bytes) && file.Commit();
  if (!written) {
    throw std::runtime_error("cannot write the report " + utf8_path + ": " +
                             platform::AnsiToUtf8(platform::SystemErrorText(file.error())));
  }
}

}  // namespace dt::cli
