// Asks the reference engine whether SkSL programs compile, and what it reflects. A test tool only.
// Usage: node sksl_probe.mjs [--kind shader|blender] file...
// A file holds one program, or several separated by lines "=== name" (the kind may follow the
// name: "=== name blender"). Prints one line per program: name, OK or the error text, and with
// -v the uniforms as name:slot:columnsxrows:int.
import CanvasKitInit from 'canvaskit-wasm/bin/full/canvaskit.js';
import fs from 'fs';

const CK = await CanvasKitInit();
let kind = 'shader';
let verbose = false;
const files = [];
const args = process.argv.slice(2);
for (let i = 0; i < args.length; i++) {
  if (args[i] === '--kind') kind = args[++i];
  else if (args[i] === '-v') verbose = true;
  else files.push(args[i]);
}

function probe(name, src, k) {
  let err = '';
  const cb = (e) => { err += e; };
  const eff = k === 'blender' ? CK.RuntimeEffect.MakeForBlender(src, cb) : CK.RuntimeEffect.Make(src, cb);
  let line = `${name}: `;
  if (eff) {
    line += 'OK';
    if (verbose) {
      const us = [];
      for (let i = 0; i < eff.getUniformCount(); i++) {
        const u = eff.getUniform(i);
        us.push(`${eff.getUniformName(i)}:${u.slot}:${u.columns}x${u.rows}${u.isInteger ? ':int' : ''}`);
      }
      line += ` [${us.join(' ')}] floats=${eff.getUniformFloatCount()}`;
    }
    eff.delete();
  } else {
    line += 'FAIL ' + err.replace(/\n/g, ' | ');
  }
  console.log(line);
}

for (const f of files) {
  const text = fs.readFileSync(f === '-' ? 0 : f, 'utf8');
  if (!text.startsWith('===')) { probe(f, text, kind); continue; }
  const parts = text.split(/^=== /m).slice(1);
  for (const p of parts) {
    const nl = p.indexOf('\n');
    const [name, k] = p.slice(0, nl).trim().split(/\s+/);
    probe(name, p.slice(nl + 1), k || kind);
  }
}
