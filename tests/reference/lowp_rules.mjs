// Checks the 8-bit blending rules our engine follows (platform/plix/src/raster/LowpKernels.h)
// against the reference engine on premultiplied RGBA8888 surfaces, on seeded random pixels, and
// prints how many channels each rule misses (0 expected). Run by hand: node lowp_rules.mjs
import { CK } from './lib/golden.mjs';

const info = (w, h) => ({ width: w, height: h, colorType: CK.ColorType.RGBA_8888, alphaType: CK.AlphaType.Premul,
                          colorSpace: CK.ColorSpace.SRGB });
function surface(w, h, bytes) {
  const mem = CK.Malloc(Uint8Array, w * h * 4);
  mem.toTypedArray().set(bytes);
  return CK.MakeRasterDirectSurface(info(w, h), mem, w * 4);
}
const read = (s) => Array.from(s.getCanvas().readPixels(0, 0, info(s.width(), s.height())));
const image = (w, h, bytes) => CK.MakeImage(info(w, h), new Uint8Array(bytes), w * 4);
let seed = 12345;
const rnd = (n) => { seed = (seed * 1103515245 + 12345) & 0x7fffffff; return (seed >> 8) % n; };
function premul() {
  const k = rnd(8), a = k === 0 ? 0 : k === 1 ? 255 : rnd(256);
  return [rnd(a + 1), rnd(a + 1), rnd(a + 1), a];
}
const round = Math.round;

// The rules.
const srcOver = (s, d, sa) => s + ((d * (256 - sa)) >> 8);
const srcOverCoverage = (s, d, sa, c) => ((s * (c + 1)) >> 8) + ((d * (256 - ((sa * (c + 1)) >> 8))) >> 8);
const spriteOver = (s, d, sa, alpha) => {
  const k = alpha + 1, p = 65535 - sa * k;
  return (Math.min(s, sa) * k + d * ((p + (p >> 8)) >> 8)) >> 8;
};

// 1. A solid colour, SrcOver, whole pixels: the colour premultiplied and rounded to bytes.
{
  let miss = 0, n = 0;
  for (let t = 0; t < 64; ++t) {
    const dst = [];
    for (let i = 0; i < 64; ++i) dst.push(...premul());
    const rgb = [rnd(256), rnd(256), rnd(256)], a = [1, 127, 128, 254, 255][t % 5] || rnd(256);
    const s = surface(64, 1, dst), p = new CK.Paint();
    p.setColor(CK.Color4f(rgb[0] / 255, rgb[1] / 255, rgb[2] / 255, a / 255));
    s.getCanvas().drawRect(CK.LTRBRect(0, 0, 64, 1), p);
    const out = read(s), col = [...rgb.map((v) => round(v * a / 255)), a];
    for (let i = 0; i < 256; ++i, ++n) if (out[i] !== srcOver(col[i % 4], dst[i], a)) ++miss;
  }
  console.log(`solid SrcOver, full coverage: ${miss} of ${n} channels missed`);
}

// 2. A solid colour at partial coverage: anti-aliased rectangle edges and an anti-aliased clip.
// The coverage of each pixel is not known, so a pixel passes when one coverage value explains
// what every colour and background gave there.
{
  const W = 40, H = 6, combos = [];
  for (const a of [255, 200, 128, 77, 20]) for (const v of [0, 255, 100]) for (const d of [[90, 90, 90, 255], [40, 70, 10, 120], [0, 0, 0, 0]])
    combos.push({ a, v, d });
  for (const clip of [false, true]) {
    const outs = combos.map(({ a, v, d }) => {
      const s = surface(W, H, Array(W * H).fill(d).flat()), c = s.getCanvas(), p = new CK.Paint();
      p.setColor(CK.Color4f(v / 255, v / 255, v / 255, a / 255));
      p.setAntiAlias(true);
      if (clip) {
        c.clipPath(CK.Path.MakeFromSVGString('M0.3 0.2L39.6 2.7L12.2 5.9Z'), CK.ClipOp.Intersect, true);
        c.drawRect(CK.LTRBRect(0, 0, W, H), p);
      } else {
        for (let x = 0; x < W; x += 2) c.drawRect(CK.LTRBRect(x + 0.1 + x / 97, 0.3, x + 1 + x / W, H - 0.6), p);
      }
      return read(s);
    });
    let miss = 0;
    for (let px = 0; px < W * H; ++px) {
      let found = false;
      for (let cov = 0; cov < 256 && !found; ++cov)
        found = combos.every(({ a, v, d }, k) => [0, 1, 2, 3].every((ch) => {
          const s = ch === 3 ? a : round(v * a / 255);
          return outs[k][4 * px + ch] === srcOverCoverage(s, d[ch], a, cov);
        }));
      if (!found) ++miss;
    }
    console.log(`solid SrcOver, ${clip ? 'anti-aliased clip' : 'anti-aliased rectangles'}: ${miss} of ${W * H} pixels unexplained`);
  }
}

// 3. Pixels placed one-to-one (an image at whole pixels, a layer coming back) with paint alpha.
for (const how of ['image', 'layer']) {
  let miss = 0, n = 0;
  for (const alpha of [1, 77, 128, 200, 254, 255]) {
    const src = [], dst = [];
    for (let i = 0; i < 256; ++i) src.push(...premul()), dst.push(...premul());
    const s = surface(256, 1, dst), c = s.getCanvas(), p = new CK.Paint();
    p.setAlphaf(alpha / 255);
    if (how === 'image') {
      c.drawImage(image(256, 1, src), 0, 0, p);
    } else {
      c.saveLayer(p);
      c.drawImage(image(256, 1, src), 0, 0, null);
      c.restore();
    }
    const out = read(s);
    for (let i = 0; i < 1024; ++i, ++n) if (out[i] !== spriteOver(src[i], dst[i], src[i - (i % 4) + 3], alpha)) ++miss;
  }
  console.log(`${how} SrcOver with paint alpha: ${miss} of ${n} channels missed`);
}

// 4. Every other separable or Porter-Duff mode: the float pipeline, rounded to nearest.
{
  const F = {
    Src: (s) => s, DstOver: (s, d, sa, da) => d + s * (1 - da), SrcIn: (s, d, sa, da) => s * da,
    DstIn: (s, d, sa) => d * sa, SrcOut: (s, d, sa, da) => s * (1 - da), DstOut: (s, d, sa) => d * (1 - sa),
    SrcATop: (s, d, sa, da) => s * da + d * (1 - sa), DstATop: (s, d, sa, da) => d * sa + s * (1 - da),
    Xor: (s, d, sa, da) => s * (1 - da) + d * (1 - sa), Plus: (s, d) => Math.min(s + d, 1),
    Modulate: (s, d) => s * d, Screen: (s, d) => s + d - s * d,
    Multiply: (s, d, sa, da, ch) => (ch === 3 ? sa + da - sa * da : s * (1 - da) + d * (1 - sa) + s * d),
    Darken: (s, d, sa, da, ch) => (ch === 3 ? sa + da - sa * da : s + d - Math.max(s * da, d * sa)),
    Lighten: (s, d, sa, da, ch) => (ch === 3 ? sa + da - sa * da : s + d - Math.min(s * da, d * sa)),
  };
  for (const mode in F) {
    let miss = 0, n = 0;
    const dst = [], cols = [];
    for (let i = 0; i < 128; ++i) dst.push(...premul()), cols.push([rnd(256), rnd(256), rnd(256), rnd(256)]);
    const s = surface(128, 1, dst), c = s.getCanvas();
    cols.forEach(([r, g, b, a], i) => {
      const p = new CK.Paint();
      p.setColor(CK.Color4f(r / 255, g / 255, b / 255, a / 255));
      p.setBlendMode(CK.BlendMode[mode]);
      c.drawRect(CK.LTRBRect(i, 0, i + 1, 1), p);
    });
    const out = read(s);
    for (let i = 0; i < 512; ++i, ++n) {
      const [r, g, b, a] = cols[i >> 2], ch = i % 4, base = i - ch;
      const sv = ch === 3 ? a / 255 : ([r, g, b][ch] / 255) * (a / 255);
      const want = round(255 * Math.min(1, Math.max(0, F[mode](sv, dst[i] / 255, a / 255, dst[base + 3] / 255, ch))));
      if (out[i] !== want) ++miss;
    }
    console.log(`${mode.padEnd(9)} (float, rounded to nearest): ${miss} of ${n} channels missed`);
  }
}
