// Renders the path effect scenes of tests/plix/pathfx/fixtures/scenes.txt with the reference
// engine and writes each as <name>.png beside the scene file (see lib/golden.mjs).
// Run by hand when scenes change: node pathfx_golden.mjs
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { CK, argb, renderScenes } from './lib/golden.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const fixtures = path.join(here, '..', 'plix', 'pathfx', 'fixtures');

// A lattice: uniform scale s turned by deg degrees.
function lattice(s, deg) {
  const r = (deg * Math.PI) / 180, c = Math.cos(r) * s, n = Math.sin(r) * s;
  return [c, -n, 0, n, c, 0, 0, 0, 1];
}

function makeEffect(spec) {
  const [kind, ...a] = spec.split(':');
  if (kind === 'dash') return CK.PathEffect.MakeDash(a[0].split(',').map(parseFloat), parseFloat(a[1]));
  if (kind === 'corner') return CK.PathEffect.MakeCorner(parseFloat(a[0]));
  if (kind === 'path1d') {
    const stamp = CK.Path.MakeFromSVGString('M-4 -3L4 0L-4 3Z');
    const style = { translate: CK.Path1DEffect.Translate, rotate: CK.Path1DEffect.Rotate, morph: CK.Path1DEffect.Morph }[a[2]];
    return CK.PathEffect.MakePath1D(stamp, parseFloat(a[0]), parseFloat(a[1]), style);
  }
  if (kind === 'line2d') return CK.PathEffect.MakeLine2D(parseFloat(a[0]), lattice(parseFloat(a[1]), parseFloat(a[2])));
  if (kind === 'path2d') {
    const b = new CK.PathBuilder();
    b.addCircle(0, 0, 2.5);
    return CK.PathEffect.MakePath2D(lattice(parseFloat(a[0]), parseFloat(a[1])), b.detachAndDelete());
  }
  throw new Error('unknown effect ' + spec);
}

function makePaint(o) {
  const p = new CK.Paint();
  p.setColor(argb(o.color || 'ff000000'));
  p.setAntiAlias(o.aa === '1');
  const style = o.style || 'fill';
  p.setStyle(style === 'fill' ? CK.PaintStyle.Fill : CK.PaintStyle.Stroke);
  if (style !== 'fill') p.setStrokeWidth(parseFloat(o.width || '0'));
  if (o.cap) p.setStrokeCap({ butt: CK.StrokeCap.Butt, round: CK.StrokeCap.Round, square: CK.StrokeCap.Square }[o.cap]);
  if (o.join) p.setStrokeJoin({ miter: CK.StrokeJoin.Miter, round: CK.StrokeJoin.Round, bevel: CK.StrokeJoin.Bevel }[o.join]);
  if (o.fx) p.setPathEffect(makeEffect(o.fx));
  return p;
}

renderScenes(fixtures, (canvas, cmd, args, o) => {
  if (cmd === 'clear') return canvas.clear(argb(args));
  const paint = makePaint(o);
  const n = args.trim().split(/\s+/).map(parseFloat);
  if (cmd === 'path') {
    const p = CK.Path.MakeFromSVGString(args);
    canvas.drawPath(p, paint);
    p.delete();
  } else if (cmd === 'rect') canvas.drawRect(CK.LTRBRect(n[0], n[1], n[2], n[3]), paint);
  else if (cmd === 'oval') canvas.drawOval(CK.LTRBRect(n[0], n[1], n[2], n[3]), paint);
  paint.delete();
});
