'use strict';
// Reference for the document-tree rows of bench/compare: JSON.parse, then
// JSON.stringify(value, null, 2), FILE in, standard output out.
// Exit status: 0 done, 1 parse error, 2 usage, 3 read or write failure.
const fs = require('fs');

function fail(what, reason, status) {
  process.stderr.write(`${what}: ${reason}\n`);
  process.exit(status);
}

function writeAll(fd, buf) {
  for (let off = 0; off < buf.length;) {
    try {
      off += fs.writeSync(fd, buf, off, buf.length - off);
    } catch (e) {
      if (e.code !== 'EAGAIN') throw e;  // standard output may be a non-blocking pipe
    }
  }
}

if (process.argv.length !== 3) fail('usage', 'node node_reformat.js FILE', 2);
const name = process.argv[2];
let text;
try {
  text = fs.readFileSync(name, 'utf8');
} catch (e) {
  fail(name, e.message, 3);
}
let value;
try {
  value = JSON.parse(text);
} catch (e) {
  fail(name, e.message, 1);
}
text = undefined;
try {
  writeAll(1, Buffer.from(JSON.stringify(value, null, 2), 'utf8'));
  writeAll(1, Buffer.from('\n'));
} catch (e) {
  fail('standard output', e.message, 3);
}
