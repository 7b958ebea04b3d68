// Renders the canvas scenes of tests/plix/canvas/fixtures/scenes.txt with the reference engine
// and writes each as <name>.png beside the scene file (see lib/golden.mjs). Run by hand when
// scenes change: node canvas_golden.mjs [NAME-REGEXP] (only the scenes whose names match).
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { CK, argb, renderScenes } from './lib/golden.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const fixtures = path.join(here, '..', 'plix', 'canvas', 'fixtures');

// The test images, built the same way by the C++ test.
function makeImage(name) {
  if (name === 'mask8') {
    // Alpha only: a checker of opaque cells and a ramp.
    const px = new Uint8Array(64);
    for (let y = 0; y < 8; ++y) for (let x = 0; x < 8; ++x) px[y * 8 + x] = (x ^ y) & 1 ? 255 : 28 * x + 8 * y;
    return CK.MakeImage({ width: 8, height: 8, colorType: CK.ColorType.Alpha_8, alphaType: CK.AlphaType.Premul,
                          colorSpace: CK.ColorSpace.SRGB }, px, 8);
  }
  const w = name === 'nine9' ? 9 : 8, h = w;
  const px = new Uint8Array(w * h * 4);
  const cells = [0xff0000, 0x00ff00, 0x0000ff, 0xffff00, 0xff00ff, 0x00ffff, 0x804000, 0x008080, 0x404040];
  for (let y = 0; y < h; ++y) for (let x = 0; x < w; ++x) {
    const i = (y * w + x) * 4;
    let c;
    if (name === 'grad8') c = [36 * x, 36 * y, 200, 255];
    else if (name === 'ramp8') c = [255, 32 * x, 0, 255 - 32 * y];
    else { const v = cells[Math.floor(y / 3) * 3 + Math.floor(x / 3)]; c = [(v >> 16) & 255, (v >> 8) & 255, v & 255, 255]; }
    px.set(c, i);
  }
  return CK.MakeImage({ width: w, height: h, colorType: CK.ColorType.RGBA_8888, alphaType: CK.AlphaType.Unpremul,
                        colorSpace: CK.ColorSpace.SRGB }, px, w * 4);
}

function makePaint(o) {
  const p = new CK.Paint();
  p.setColor(argb(o.color || 'ff000000'));
  if (o.alpha) p.setAlphaf(parseInt(o.alpha) / 255);
  p.setAntiAlias(o.aa === '1');
  if (o.style === 'stroke') p.setStyle(CK.PaintStyle.Stroke);
  if (o.width) p.setStrokeWidth(parseFloat(o.width));
  if (o.cap) p.setStrokeCap({ butt: CK.StrokeCap.Butt, round: CK.StrokeCap.Round, square: CK.StrokeCap.Square }[o.cap]);
  if (o.join) p.setStrokeJoin({ miter: CK.StrokeJoin.Miter, round: CK.StrokeJoin.Round, bevel: CK.StrokeJoin.Bevel }[o.join]);
  if (o.blend) p.setBlendMode(CK.BlendMode[o.blend]);
  if (o.cf) {
    // cf=AARRGGBB:Mode, a blend colour filter
    const [c, m] = o.cf.split(':');
    const f = CK.ColorFilter.MakeBlend(argb(c), CK.BlendMode[m]);
    p.setColorFilter(f);
    f.delete();
  }
  if (o.shader === 'grad') {
    p.setShader(CK.Shader.MakeLinearGradient([0, 0], [64, 64], [CK.Color4f(1, 0, 0, 1), CK.Color4f(0, 0, 1, 1)],
                                             null, CK.TileMode.Clamp));
  }
  return p;
}

function pathOf(svg, o) {
  const p = CK.Path.MakeFromSVGString(svg);
  p.setFillType(o.fill === 'evenodd' ? CK.FillType.EvenOdd : CK.FillType.Winding);
  return p;
}

const images = {};
function image(name) { return images[name] || (images[name] = makeImage(name)); }

function run(canvas, cmd, args, o) {
  const n = args.trim().split(/\s+/).map(parseFloat);
  const op = o.op === 'difference' ? CK.ClipOp.Difference : CK.ClipOp.Intersect;
  const aa = o.aa === '1';
  const paint = makePaint(o);
  const filter = o.filter === 'linear' ? CK.FilterMode.Linear : CK.FilterMode.Nearest;
  switch (cmd) {
    case 'clear': canvas.clear(argb(args.trim())); break;
    case 'save': canvas.save(); break;
    case 'restore': canvas.restore(); break;
    case 'savelayeralpha': { const p = new CK.Paint(); p.setAlphaf(n[0] / 255); canvas.saveLayer(p); p.delete(); break; }
    case 'savelayer': canvas.saveLayer(paint, args.trim() === '-' ? null : CK.LTRBRect(n[0], n[1], n[2], n[3])); break;
    case 'translate': canvas.translate(n[0], n[1]); break;
    case 'scale': canvas.scale(n[0], n[1]); break;
    case 'rotate': canvas.rotate(n[0], n[1] || 0, n[2] || 0); break;
    case 'skew': canvas.skew(n[0], n[1]); break;
    case 'concat': canvas.concat(n); break;
    case 'cliprect': canvas.clipRect(CK.LTRBRect(n[0], n[1], n[2], n[3]), op, aa); break;
    case 'cliprrect': canvas.clipRRect(CK.RRectXY(CK.LTRBRect(n[0], n[1], n[2], n[3]), n[4], n[5]), op, aa); break;
    case 'clippath': { const p = pathOf(args.trim(), o); canvas.clipPath(p, op, aa); p.delete(); break; }
    case 'paint': canvas.drawPaint(paint); break;
    case 'rect': canvas.drawRect(CK.LTRBRect(n[0], n[1], n[2], n[3]), paint); break;
    case 'oval': canvas.drawOval(CK.LTRBRect(n[0], n[1], n[2], n[3]), paint); break;
    case 'rrect': canvas.drawRRect(CK.RRectXY(CK.LTRBRect(n[0], n[1], n[2], n[3]), n[4], n[5]), paint); break;
    case 'circle': canvas.drawCircle(n[0], n[1], n[2], paint); break;
    case 'arc': canvas.drawArc(CK.LTRBRect(n[0], n[1], n[2], n[3]), n[4], n[5], n[6] === 1, paint); break;
    case 'drrect':
      canvas.drawDRRect(CK.RRectXY(CK.LTRBRect(n[0], n[1], n[2], n[3]), n[4], n[5]),
                        CK.RRectXY(CK.LTRBRect(n[6], n[7], n[8], n[9]), n[10], n[11]), paint);
      break;
    case 'path': { const p = pathOf(args.trim(), o); canvas.drawPath(p, paint); p.delete(); break; }
    case 'points': {
      const words = args.trim().split(/\s+/);
      const mode = { points: CK.PointMode.Points, lines: CK.PointMode.Lines, polygon: CK.PointMode.Polygon }[words[0]];
      canvas.drawPoints(mode, words.slice(1).map(parseFloat), paint);
      break;
    }
    case 'image': {
      const w = args.trim().split(/\s+/);
      canvas.drawImage(image(w[0]), parseFloat(w[1]), parseFloat(w[2]), o.color || o.alpha || o.shader ? paint : null);
      break;
    }
    case 'imagerect': {
      const w = args.trim().split(/\s+/);
      const v = w.slice(1).map(parseFloat);
      canvas.drawImageRectOptions(image(w[0]), CK.LTRBRect(v[0], v[1], v[2], v[3]), CK.LTRBRect(v[4], v[5], v[6], v[7]),
                                  filter, CK.MipmapMode.None, paint);
      break;
    }
    case 'nine': {
      const w = args.trim().split(/\s+/);
      const v = w.slice(1).map(parseFloat);
      canvas.drawImageNine(image(w[0]), CK.LTRBiRect(v[0], v[1], v[2], v[3]), CK.LTRBRect(v[4], v[5], v[6], v[7]),
                           filter, paint);
      break;
    }
    default: throw new Error('unknown command ' + cmd);
  }
  paint.delete();
}

renderScenes(fixtures, run, process.argv[2] ? new RegExp(process.argv[2]) : null);
