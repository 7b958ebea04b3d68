// Writes the reference engine's figures for the DejaVu fonts to tests/plix/text/fixtures/
// metrics.txt: glyph ids of strings in several scripts, advances and bounds at several sizes and
// hinting settings, and the font metrics record. Run by hand: node text_metrics.mjs
// Lines: "string I HEX" (UTF-8 of string I), "glyphs FONT I IDS...", "widths FONT SIZE HINTING
// LINEAR I W... | L T R B ...", "metrics FONT SIZE ASCENT DESCENT LEADING UT UP ST SP XMIN TOP XMAX BOTTOM".
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { CK } from './lib/golden.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const out = path.join(here, '..', 'plix', 'text', 'fixtures', 'metrics.txt');
const fontDir = '/usr/share/fonts/truetype/dejavu';
const fonts = ['DejaVuSans.ttf', 'DejaVuSerif.ttf', 'DejaVuSans-Bold.ttf', 'DejaVuSansMono.ttf'];
const strings = ['Hello, World!', 'Sphinx of black quartz', 'Привет, мир', 'Καλημέρα κόσμε', 'שלום עולם',
                 'مرحبا بالعالم', 'fi fl ffi 0123456789', '\u{1F600}x\u4E2D'];
const sizes = [9, 13, 16.5, 24, 300];
const hintings = { none: CK.FontHinting.None, slight: CK.FontHinting.Slight, normal: CK.FontHinting.Normal };
const f6 = (v) => (Math.round(v * 1e6) / 1e6).toString();

const lines = [];
strings.forEach((s, i) => lines.push(`string ${i} ${Buffer.from(s, 'utf8').toString('hex')}`));
for (const file of fonts) {
  const b = fs.readFileSync(path.join(fontDir, file));
  const tf = CK.Typeface.MakeFreeTypeFaceFromData(b.buffer.slice(b.byteOffset, b.byteOffset + b.length));
  const font = new CK.Font(tf, 12);
  strings.forEach((s, i) => lines.push(`glyphs ${file} ${i} ${Array.from(font.getGlyphIDs(s)).join(' ')}`));
  for (const size of sizes) {
    font.setSize(size);
    const m = font.getMetrics();
    lines.push(`metrics ${file} ${size} ${[m.ascent, m.descent, m.leading, m.underlineThickness, m.underlinePosition,
      m.strikeoutThickness, m.strikeoutPosition, m.bounds[0], m.bounds[1], m.bounds[2], m.bounds[3]].map(f6).join(' ')}`);
    for (const [hname, h] of Object.entries(hintings)) {
      font.setHinting(h);
      for (const linear of [0, 1]) {
        font.setLinearMetrics(linear === 1);
        strings.forEach((s, i) => {
          const ids = font.getGlyphIDs(s);
          const w = Array.from(font.getGlyphWidths(ids)).map(f6);
          const bo = Array.from(font.getGlyphBounds(ids)).map(f6);
          lines.push(`widths ${file} ${size} ${hname} ${linear} ${i} ${w.join(' ')} | ${bo.join(' ')}`);
        });
      }
    }
    font.setHinting(CK.FontHinting.Normal);
    font.setLinearMetrics(false);
  }
}
fs.writeFileSync(out, lines.join('\n') + '\n');
console.log(`${lines.length} lines written to ${out}`);
