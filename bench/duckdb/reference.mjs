// The DuckDB reference of the benchmark: converts the staged files from code
// page 936 to UTF-8 with iconv, imports each with read_csv into a DuckDB
// database file, runs the derived-table and clean-up SQL and closes the
// file. Prints "phase NAME SECONDS" for each step it times itself.
//
//   node reference.mjs run CACHE DB SQL SCRATCH FILE...
//   node reference.mjs count CACHE DB TABLE...   prints "TABLE ROWS" lines
//
// CACHE is the folder @duckdb/node-api was installed into (npm --prefix).
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { basename, join, resolve } from 'node:path';
import { performance } from 'node:perf_hooks';

const [mode, cache, db, ...rest] = process.argv.slice(2);
const { DuckDBInstance } = createRequire(resolve(cache, 'package.json'))('@duckdb/node-api');

const quoteText = (text) => `'${text.replaceAll("'", "''")}'`;
const quoteName = (name) => `"${name.replaceAll('"', '""')}"`;

let clock = performance.now();
function phase(name) {
  const now = performance.now();
  console.log(`phase ${name} ${((now - clock) / 1000).toFixed(3)}`);
  clock = now;
}

// "-- phase NAME" lines split the SQL text into named, separately timed parts.
function phasesOf(sql) {
  return sql.split(/^-- phase /m).slice(1).map((part) => {
    const newline = part.indexOf('\n');
    return { name: part.slice(0, newline).trim(), sql: part.slice(newline + 1) };
  });
}

async function run(sqlFile, scratch, files) {
  const utf8 = files.map((file) => {
    const out = join(scratch, basename(file));
    execFileSync('iconv', ['-f', 'CP936', '-t', 'UTF-8', '-o', out, file], { stdio: 'inherit' });
    return out;
  });
  phase('iconv');

  const instance = await DuckDBInstance.create(db);
  const connection = await instance.connect();
  for (const file of utf8) {
    // The table is named as the tool names it: the file name less ".TXT".
    const table = basename(file).slice(0, -4);
    await connection.run(`CREATE TABLE ${quoteName(table)} AS SELECT * FROM read_csv(${quoteText(file)},
      header = true, all_varchar = true, delim = ',', quote = '"', escape = '"', null_padding = true)`);
  }
  phase('import');

  for (const part of phasesOf(readFileSync(sqlFile, 'utf8'))) {
    await connection.run(part.sql);
    phase(part.name);
  }

  // DuckDB also writes to the file on its own whenever its log outgrows the
  // checkpoint threshold, so on large exports part of the writing falls into
  // the phase that crossed it; the rest is written here.
  await connection.run('CHECKPOINT');
  connection.closeSync();
  instance.closeSync();
  phase('save');
}

async function count(tables) {
  const instance = await DuckDBInstance.create(db, { access_mode: 'READ_ONLY' });
  const connection = await instance.connect();
  for (const table of tables) {
    const reader = await connection.runAndReadAll(`SELECT count(*) FROM ${quoteName(table)}`);
    console.log(`${table} ${reader.getRows()[0][0]}`);
  }
  connection.closeSync();
  instance.closeSync();
}

if (mode === 'run') {
  const [sqlFile, scratch, ...files] = rest;
  await run(sqlFile, scratch, files);
} else if (mode === 'count') {
  await count(rest);
} else {
  console.error(`reference.mjs: unknown mode ${mode}`);
  process.exit(2);
}
