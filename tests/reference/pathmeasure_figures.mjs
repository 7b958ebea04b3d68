// Prints the reference engine's path measure figures that tests/plix/pathfx/pathfx_tests.cpp
// holds: per contour its length, closedness, and position and tangent at 0, 1/4, 1/2 and all of it.
// Run by hand: node pathmeasure_figures.mjs
import { CK } from './lib/golden.mjs';

const paths = ['M10 10L110 10L110 60', 'M10 10Q60 90 110 10', 'M10 10C40 90 80 -60 110 40', 'M0 0L30 40Z M50 50L60 50'];
for (const s of paths) {
  const p = CK.Path.MakeFromSVGString(s);
  const it = new CK.ContourMeasureIter(p, false, 1);
  for (let c = it.next(); c; c = it.next()) {
    const L = c.length();
    const out = [L.toFixed(5), c.isClosed()];
    for (const d of [0, L * 0.25, L * 0.5, L]) out.push(Array.from(c.getPosTan(d)).map((v) => v.toFixed(5)).join(','));
    console.log(s, out.join(' | '));
  }
}
