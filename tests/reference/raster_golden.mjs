// Renders the raster drawing scenes of tests/plix/raster/fixtures/scenes.txt with the reference
// engine and writes each as <name>.png beside the scene file. The PNGs hold the surface's
// premultiplied RGBA bytes unchanged (written as if unpremultiplied), so the tests compare
// bytes exactly as stored. Run by hand when scenes change: node raster_golden.mjs
import CanvasKitInit from 'canvaskit-wasm/bin/full/canvaskit.js';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const fixtures = path.join(here, '..', 'plix', 'raster', 'fixtures');
const CK = await CanvasKitInit();

function argb(hex) {
  const v = parseInt(hex, 16);
  return CK.Color4f(((v >>> 16) & 255) / 255, ((v >>> 8) & 255) / 255, (v & 255) / 255, (v >>> 24) / 255);
}

function parseOptions(text) {
  const o = {};
  for (const kv of (text || '').trim().split(/\s+/).filter(Boolean)) {
    const [k, v] = kv.split('=');
    o[k] = v;
  }
  return o;
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
  if (o.miter) p.setStrokeMiter(parseFloat(o.miter));
  if (o.blend) p.setBlendMode(CK.BlendMode[o.blend]);
  return p;
}

const fillTypes = { winding: CK.FillType.Winding, evenodd: CK.FillType.EvenOdd };

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
  if (fill.startsWith('inverse')) throw new Error('the reference build has no inverse fill types');
  pth.setFillType(fillTypes[fill]);
  if (o.style === 'strokeandfill') {
    // The reference wrapper has no stroke-and-fill style: fill the union of the shape and its
    // stroke outline, which is what the style covers.
    const stroked = pth.makeStroked({ width: parseFloat(o.width), cap: CK.StrokeCap.Butt, join: CK.StrokeJoin.Miter });
    const both = CK.Path.MakeFromOp(pth, stroked, CK.PathOp.Union);
    paint.setStyle(CK.PaintStyle.Fill);
    canvas.drawPath(both, paint);
    both.delete();
    stroked.delete();
  } else if (cmd === 'rect' && !fill.startsWith('inverse') && (o.style || 'fill') === 'fill') {
    const n = args.trim().split(/\s+/).map(parseFloat);
    canvas.drawRect(CK.LTRBRect(n[0], n[1], n[2], n[3]), paint);
  } else {
    canvas.drawPath(pth, paint);
  }
  pth.delete();
  paint.delete();
  canvas.restore();
}

const lines = fs.readFileSync(path.join(fixtures, 'scenes.txt'), 'utf8').split('\n');
let surface = null, canvas = null, name = '', w = 0, h = 0, count = 0;
for (const raw of lines) {
  const line = raw.trim();
  if (!line || line.startsWith('#')) continue;
  const [head, opts] = line.split('|');
  const words = head.trim().split(/\s+/);
  const cmd = words[0];
  const args = head.trim().slice(cmd.length).trim();
  if (cmd === 'scene') {
    [name, w, h] = [words[1], parseInt(words[2]), parseInt(words[3])];
    surface = CK.MakeSurface(w, h);
    canvas = surface.getCanvas();
    canvas.clear(CK.TRANSPARENT);
  } else if (cmd === 'clear') {
    canvas.clear(argb(words[1]));
  } else if (cmd === 'end') {
    const info = { width: w, height: h, colorType: CK.ColorType.RGBA_8888, alphaType: CK.AlphaType.Premul,
                   colorSpace: CK.ColorSpace.SRGB };
    const px = canvas.readPixels(0, 0, info);
    const img = CK.MakeImage({ ...info, alphaType: CK.AlphaType.Unpremul }, px, 4 * w);
    fs.writeFileSync(path.join(fixtures, name + '.png'), img.encodeToBytes());
    img.delete();
    surface.delete();
    ++count;
  } else {
    draw(canvas, cmd, args, parseOptions(opts));
  }
}
console.log(`wrote ${count} fixtures`);
