// Writes the reference engine's stroke outlines of curved paths to
// tests/plix/raster/fixtures/stroke_outlines.txt, one case a line:
//   NAME | PATH | width=W cap=C join=J miter=M res=R | OUTLINE
// PATH and OUTLINE are lists of verbs with their points: M x y, L x y, Q x y x y, K x y x y w
// (conic), C x y x y x y, Z. res is the stroke's resolution scale (device pixels per unit);
// match=ends: only the ends of the sides are to match (see below).
// Run by hand when the cases change: node stroke_outlines.mjs
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { CK, parseOptions } from './lib/golden.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const out = path.join(here, '..', 'plix', 'raster', 'fixtures', 'stroke_outlines.txt');

const k = Math.SQRT1_2;
const circle = (cx, cy, r) =>
  `M ${cx + r} ${cy} K ${cx + r} ${cy + r} ${cx} ${cy + r} ${k} K ${cx - r} ${cy + r} ${cx - r} ${cy} ${k} ` +
  `K ${cx - r} ${cy - r} ${cx} ${cy - r} ${k} K ${cx + r} ${cy - r} ${cx + r} ${cy} ${k} Z`;

const cases = [
  ['quad_gentle', 'M 0 0 Q 50 30 100 0', 'width=4'],
  ['quad_gentle_wide', 'M 0 0 Q 50 30 100 0', 'width=30'],
  ['quad_turning_past_a_right_angle', 'M 0 0 Q 50 100 100 0', 'width=10'],
  ['quad_asymmetric', 'M 0 0 Q 200 0 20 100', 'width=10'],
  ['quad_asymmetric_res4', 'M 0 0 Q 200 0 20 100', 'width=10 res=4'],
  ['quad_right_angle', 'M 0 0 Q 100 0 100 100', 'width=10'],
  ['quad_thin', 'M 0 0 Q 200 0 20 100', 'width=0.5'],
  ['cubic_gentle_arch', 'M 0 0 C 30 60 70 60 100 0', 'width=2'],
  ['cubic_half_turn_arch', 'M 0 0 C 0 100 100 100 100 0', 'width=2'],
  ['cubic_s_curve', 'M 0 0 C 50 100 50 -100 100 0', 'width=2'],
  ['cubic_inflections', 'M 0 0 C 90 60 70 60 100 0', 'width=6'],
  ['cubic_wide_res2', 'M 0 0 C 30 60 70 60 100 0', 'width=20 res=2'],
  // Where the reference halves pieces that miss the offset by less than the tolerance (its
  // measure of the miss is not ours for strongly lopsided pieces), only the ends of the sides
  // are compared: match=ends.
  ['cubic_start_control_on_start', 'M 0 0 C 0 0 70 60 100 0', 'width=4 match=ends'],
  ['cubic_end_control_on_end', 'M 0 0 C 30 60 100 0 100 0', 'width=4 match=ends'],
  ['cubic_loop', 'M 10 60 C 90 0 -10 0 70 60', 'width=4'],
  ['circle', circle(50, 50, 40), 'width=4'],
  ['circle_res4', circle(50, 50, 40), 'width=4 res=4'],
  ['oval_conics', 'M 90 50 K 90 70 50 70 0.7071067811865476 K 10 70 10 50 0.7071067811865476 K 10 30 50 30 0.7071067811865476 K 90 30 90 50 0.7071067811865476 Z', 'width=6'],
  ['quad_then_line_miter', 'M 0 0 Q 50 60 100 0 L 100 80', 'width=8 join=miter'],
  ['quad_then_line_bevel', 'M 0 0 Q 50 60 100 0 L 100 80', 'width=8 join=bevel'],
  ['quad_then_line_round_round_cap', 'M 0 0 Q 50 60 100 0 L 100 80', 'width=8 join=round cap=round'],
  ['cubic_square_cap', 'M 0 0 C 30 60 70 60 100 0', 'width=8 cap=square'],
  ['closed_quads', 'M 0 0 Q 50 -40 100 0 Q 50 40 0 0 Z', 'width=6'],
  // The curved case of stroke_coverage_tests.cpp whose area is the reference outline's. (Its
  // curves bending tighter than the stroke's half width are stroked exactly instead: there the
  // reference's inner sides fold over and cut holes, e.g. in a circle of radius 4 stroked 11
  // wide.)
  ['cover_ellipse', 'M 58 32 K 58 44 32 44 0.7071067811865476 K 6 44 6 32 0.7071067811865476 K 6 20 32 20 0.7071067811865476 K 58 20 58 32 0.7071067811865476 Z', 'width=4 join=round cap=butt'],
];

function build(text) {
  const t = text.trim().split(/\s+/);
  const b = new CK.PathBuilder();
  for (let i = 0; i < t.length;) {
    const v = t[i++];
    const n = (c) => t.slice(i, (i += c)).map(parseFloat);
    if (v === 'M') b.moveTo(...n(2));
    else if (v === 'L') b.lineTo(...n(2));
    else if (v === 'Q') b.quadTo(...n(4));
    else if (v === 'K') b.conicTo(...n(5));
    else if (v === 'C') b.cubicTo(...n(6));
    else if (v === 'Z') b.close();
  }
  return b.detachAndDelete();
}

function outline(cmds) {
  const words = [];
  for (let i = 0; i < cmds.length;) {
    const v = cmds[i++];
    const n = [2, 2, 4, 5, 6, 0][v];
    words.push('MLQKCZ'[v], ...Array.from(cmds.slice(i, i + n)).map((x) => String(Math.fround(x))));
    i += n;
  }
  return words.join(' ');
}

const lines = [];
for (const [name, p, opts] of cases) {
  const o = parseOptions(opts);
  const src = build(p);
  const caps = { butt: CK.StrokeCap.Butt, round: CK.StrokeCap.Round, square: CK.StrokeCap.Square };
  const joins = { miter: CK.StrokeJoin.Miter, round: CK.StrokeJoin.Round, bevel: CK.StrokeJoin.Bevel };
  const s = src.makeStroked({ width: parseFloat(o.width), cap: caps[o.cap || 'butt'], join: joins[o.join || 'miter'],
                              miter_limit: parseFloat(o.miter || '4'), precision: parseFloat(o.res || '1') });
  lines.push(`${name} | ${p} | ${opts} | ${outline(s.toCmds())}`);
  s.delete();
  src.delete();
}
fs.writeFileSync(out, lines.join('\n') + '\n');
console.log(`wrote ${lines.length} outlines`);
