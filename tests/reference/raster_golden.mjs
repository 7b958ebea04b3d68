// Renders the raster drawing scenes of tests/plix/raster/fixtures/scenes.txt with the reference
// engine and writes each as <name>.png beside the scene file (see lib/golden.mjs).
// Run by hand when scenes change: node raster_golden.mjs [NAME-PREFIX] (only the scenes whose
// names start with the prefix)
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { CK, argb, renderScenes } from './lib/golden.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const fixtures = path.join(here, '..', 'plix', 'raster', 'fixtures');

function makePaint(o) {
  const p = new CK.Paint();
  p.setColor(argb(o.color || 'ff000000'));
  p.setAntiAlias(o.aa === '1');
  const style = o.style || 'fill';
  // The wrapper names no stroke-and-fill style; the engine takes its value (2) all the same.
  p.setStyle(style === 'fill' ? CK.PaintStyle.Fill : style === 'stroke' ? CK.PaintStyle.Stroke : { value: 2 });
  if (style !== 'fill') p.setStrokeWidth(parseFloat(o.width || '0'));
  if (o.cap) p.setStrokeCap({ butt: CK.StrokeCap.Butt, round: CK.StrokeCap.Round, square: CK.StrokeCap.Square }[o.cap]);
  if (o.join) p.setStrokeJoin({ miter: CK.StrokeJoin.Miter, round: CK.StrokeJoin.Round, bevel: CK.StrokeJoin.Bevel }[o.join]);
  if (o.miter) p.setStrokeMiter(parseFloat(o.miter));
  if (o.blend) p.setBlendMode(CK.BlendMode[o.blend]);
  return p;
}

// The wrapper names no inverse fill types; the engine takes their values (2, 3) all the same.
const fillTypes = { winding: CK.FillType.Winding, evenodd: CK.FillType.EvenOdd, inversewinding: { value: 2 },
                    inverseevenodd: { value: 3 } };

function draw(canvas, cmd, args, o) {
  const paint = makePaint(o);
  canvas.save();
  if (o.matrix) {
    const m = o.matrix.split(',').map(parseFloat);
    canvas.concat([m[0], m[1], m[2], m[3], m[4], m[5], 0, 0, 1]);
  }
  let pth = null;
  if (cmd === 'path') {
    pth = CK.Path.MakeFromSVGString(args);
  } else {
    const n = args.trim().split(/\s+/).map(parseFloat);
    const r = CK.LTRBRect(n[0], n[1], n[2], n[3]);
    const b = new CK.PathBuilder();
    if (cmd === 'rect') b.addRect(r);
    else if (cmd === 'oval') b.addOval(r);
    else if (cmd === 'rrect') b.addRRect(CK.RRectXY(r, n[4], n[5]));
    pth = b.detachAndDelete();
  }
  const fill = o.fill || 'winding';
  pth.setFillType(fillTypes[fill]);
  if (cmd === 'rect' && !fill.startsWith('inverse') && (o.style || 'fill') === 'fill') {
    const n = args.trim().split(/\s+/).map(parseFloat);
    canvas.drawRect(CK.LTRBRect(n[0], n[1], n[2], n[3]), paint);
  } else {
    canvas.drawPath(pth, paint);
  }
  pth.delete();
  paint.delete();
  canvas.restore();
}

renderScenes(fixtures, (canvas, cmd, args, o) => {
  if (cmd === 'clear') canvas.clear(argb(args));
  else draw(canvas, cmd, args, o);
}, process.argv[2] || '');
