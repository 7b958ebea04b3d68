// Renders the text scenes of tests/plix/text/fixtures/scenes.txt with the reference engine and
// the DejaVu fonts of the system, and writes each as <name>.png beside the scene file (the
// surface's premultiplied RGBA bytes). Run by hand when scenes change: node text_golden.mjs
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { CK, argb, parseOptions } from './lib/golden.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const fixtures = path.join(here, '..', 'plix', 'text', 'fixtures');
const fontDir = '/usr/share/fonts/truetype/dejavu';

const faces = {};
function typeface(file) {
  if (!faces[file]) {
    const b = fs.readFileSync(path.join(fontDir, file));
    faces[file] = CK.Typeface.MakeFreeTypeFaceFromData(b.buffer.slice(b.byteOffset, b.byteOffset + b.length));
  }
  return faces[file];
}

function makeFont(size, o) {
  const f = new CK.Font(typeface(o.font || 'DejaVuSans.ttf'), size);
  f.setEdging({ alias: CK.FontEdging.Alias, aa: CK.FontEdging.AntiAlias,
                subpixel: CK.FontEdging.SubpixelAntiAlias }[o.edging || 'aa']);
  f.setHinting({ none: CK.FontHinting.None, slight: CK.FontHinting.Slight, normal: CK.FontHinting.Normal,
                 full: CK.FontHinting.Full }[o.hinting || 'normal']);
  f.setSubpixel(o.subpixel === '1');
  f.setEmbolden(o.embolden === '1');
  if (o.scalex) f.setScaleX(parseFloat(o.scalex));
  if (o.skewx) f.setSkewX(parseFloat(o.skewx));
  return f;
}

function makePaint(o, w) {
  const p = new CK.Paint();
  p.setColor(argb(o.color || 'ff000000'));
  p.setAntiAlias(true);
  if (o.stroke) { p.setStyle(CK.PaintStyle.Stroke); p.setStrokeWidth(parseFloat(o.stroke)); }
  if (o.shader === 'grad')
    p.setShader(CK.Shader.MakeLinearGradient([0, 0], [w, 0], [CK.Color4f(0.9, 0.1, 0.1, 1), CK.Color4f(0.1, 0.2, 0.9, 1)],
                                             null, CK.TileMode.Clamp));
  return p;
}

let count = 0;
for (const raw of fs.readFileSync(path.join(fixtures, 'scenes.txt'), 'utf8').split('\n')) {
  if (!raw.trim() || raw.startsWith('#')) continue;
  const [head, opts, text] = raw.split('|').map((s) => s.trim());
  const [name, w, h, bg, op, x, y, size] = head.split(/\s+/);
  const o = parseOptions(opts);
  const surface = CK.MakeSurface(+w, +h);
  const canvas = surface.getCanvas();
  canvas.clear(argb(bg));
  if (o.scale) canvas.scale(+o.scale, +o.scale);
  if (o.rotate) canvas.rotate(+o.rotate, +x, +y);
  const font = makeFont(+size, o);
  const paint = makePaint(o, +w);
  const ids = font.getGlyphIDs(text);
  const widths = font.getGlyphWidths(ids);
  if (op === 'text') {
    canvas.drawText(text, +x, +y, paint, font);
  } else if (op === 'glyphs') {
    const pos = [];
    let px = 0;
    for (let i = 0; i < ids.length; ++i) { pos.push(px, -i * parseFloat(o.dy)); px += widths[i]; }
    canvas.drawGlyphs(ids, pos, +x, +y, font, paint);
  } else if (op === 'rsx') {
    const xf = [];
    let px = +x;
    for (let i = 0; i < ids.length; ++i) {
      const a = (i * parseFloat(o.rot)) * Math.PI / 180;
      xf.push(Math.cos(a), Math.sin(a), px, +y);
      px += widths[i];
    }
    const blob = CK.TextBlob.MakeFromRSXformGlyphs(ids, xf, font);
    canvas.drawTextBlob(blob, 0, 0, paint);
  } else if (op === 'blob') {
    canvas.drawTextBlob(CK.TextBlob.MakeFromText(text, font), +x, +y, paint);
  }
  const info = { width: +w, height: +h, colorType: CK.ColorType.RGBA_8888, alphaType: CK.AlphaType.Premul,
                 colorSpace: CK.ColorSpace.SRGB };
  const px = canvas.readPixels(0, 0, info);
  const img = CK.MakeImage({ ...info, alphaType: CK.AlphaType.Unpremul }, px, 4 * +w);
  fs.writeFileSync(path.join(fixtures, name + '.png'), img.encodeToBytes());
  img.delete();
  surface.delete();
  ++count;
}
console.log(`${count} scenes written to ${fixtures}`);
