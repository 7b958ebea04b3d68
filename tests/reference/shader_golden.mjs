// Renders the shader and colour-filter scenes of tests/plix/shaders/fixtures/scenes.txt with
// the reference engine and writes each as <name>.png beside the scene file (see
// lib/golden.mjs). Run by hand when scenes change: node shader_golden.mjs
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { CK, argb, renderScenes } from './lib/golden.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const fixtures = path.join(here, '..', 'plix', 'shaders', 'fixtures');

const nums = (s) => s.split(',').map(parseFloat);
const tiles = { clamp: CK.TileMode.Clamp, repeat: CK.TileMode.Repeat, mirror: CK.TileMode.Mirror, decal: CK.TileMode.Decal };

// The procedural test images, the same formulas as the C++ side (tests/plix/shaders).
function makeTestImage(name) {
  let w, h, px;
  if (name === 'checker') {
    // 8 x 8: 2 x 2 cells of red/blue with a green ramp, opaque, premultiplied.
    w = 8, h = 8, px = new Uint8Array(w * h * 4);
    for (let y = 0; y < h; ++y)
      for (let x = 0; x < w; ++x) {
        const i = 4 * (y * w + x), on = ((x >> 1) + (y >> 1)) & 1;
        px[i] = on ? 230 : 20, px[i + 1] = 30 * x, px[i + 2] = on ? 40 : 220, px[i + 3] = 255;
      }
  } else if (name === 'ramp') {
    // 64 x 64 smooth ramps with translucent alpha, premultiplied.
    w = 64, h = 64, px = new Uint8Array(w * h * 4);
    for (let y = 0; y < h; ++y)
      for (let x = 0; x < w; ++x) {
        const i = 4 * (y * w + x), a = 128 + 2 * y - (y >> 1);
        px[i + 3] = Math.min(255, a);
        px[i] = Math.round((4 * x) * px[i + 3] / 255), px[i + 1] = Math.round((255 - 4 * y) * px[i + 3] / 255);
        px[i + 2] = Math.round(((x * y) & 255) * px[i + 3] / 255);
      }
  }
  const info = { width: w, height: h, colorType: CK.ColorType.RGBA_8888, alphaType: CK.AlphaType.Premul,
                 colorSpace: CK.ColorSpace.SRGB };
  return CK.MakeImage(info, px, 4 * w);
}

function makeShader(o) {
  const colors = (o.colors || '').split(',').filter(Boolean).map(argb);
  const pos = o.pos ? nums(o.pos) : null;
  const tile = tiles[o.tile || 'clamp'];
  const space = o.space === 'p3' ? CK.ColorSpace.DISPLAY_P3 : undefined;
  const local = o.local ? (() => { const m = nums(o.local); return [m[0], m[1], m[2], m[3], m[4], m[5], 0, 0, 1]; })() : undefined;
  switch (o.shader) {
    case 'linear': {
      const p = nums(o.pts);
      return CK.Shader.MakeLinearGradient([p[0], p[1]], [p[2], p[3]], colors, pos, tile, local, 0, space);
    }
    case 'blend': {
      // The two-colour linear gradients along x (dst) and y (src), blended.
      const dst = CK.Shader.MakeLinearGradient([0, 0], [w, 0], colors.slice(0, 2), null, CK.TileMode.Clamp);
      const src = CK.Shader.MakeLinearGradient([0, 0], [0, h], colors.slice(2, 4), null, CK.TileMode.Clamp);
      return CK.Shader.MakeBlend(CK.BlendMode[o.mode], dst, src);
    }
    case 'radial': { const c = nums(o.center); return CK.Shader.MakeRadialGradient([c[0], c[1]], parseFloat(o.radius), colors, pos, tile, local); }
    case 'sweep': {
      const c = nums(o.center), a = o.angles ? nums(o.angles) : [0, 360];
      return CK.Shader.MakeSweepGradient(c[0], c[1], colors, pos, tile, local || null, 0, a[0], a[1]);
    }
    case 'conical': {
      const p = nums(o.pts), r = nums(o.radii);
      return CK.Shader.MakeTwoPointConicalGradient([p[0], p[1]], r[0], [p[2], p[3]], r[1], colors, pos, tile, local);
    }
    case 'noise': case 'turbulence': {
      const f = nums(o.freq), t = o.tilesize ? nums(o.tilesize) : [0, 0];
      const make = o.shader === 'noise' ? CK.Shader.MakeFractalNoise : CK.Shader.MakeTurbulence;
      return make(f[0], f[1], parseInt(o.octaves), parseFloat(o.seed), t[0], t[1]);
    }
    case 'image': {
      const img = makeTestImage(o.image);
      const [tx, ty] = (o.tilexy || 'clamp,clamp').split(',').map((t) => tiles[t]);
      const s = o.sampling || 'nearest';
      if (s.startsWith('cubic:')) { const bc = nums(s.slice(6)); return img.makeShaderCubic(tx, ty, bc[0], bc[1], local); }
      const fm = s.startsWith('linear') ? CK.FilterMode.Linear : CK.FilterMode.Nearest;
      const mm = s.endsWith('+mipnearest') ? CK.MipmapMode.Nearest : s.endsWith('+miplinear') ? CK.MipmapMode.Linear : CK.MipmapMode.None;
      return img.makeShaderOptions(tx, ty, fm, mm, local);
    }
    default: throw new Error('unknown shader ' + o.shader);
  }
}

function makeColorFilter(desc) {
  const [kind, args] = desc.split(':');
  switch (kind) {
    case 'matrix': return CK.ColorFilter.MakeMatrix(nums(args));
    case 'blend': { const [c, m] = args.split(','); return CK.ColorFilter.MakeBlend(argb(c), CK.BlendMode[m]); }
    case 'luma': return CK.ColorFilter.MakeLuma();
    case 'lin2srgb': return CK.ColorFilter.MakeLinearToSRGBGamma();
    case 'srgb2lin': return CK.ColorFilter.MakeSRGBToLinearGamma();
    default: throw new Error('unknown colour filter ' + kind);
  }
}

// The size of the scene being drawn (the blend shader's gradients span it).
let w = 0, h = 0;

renderScenes(fixtures, (canvas, cmd, args, o, scene) => {
  ({ w, h } = scene);
  if (cmd === 'clear') {
    canvas.clear(argb(args));
  } else if (cmd === 'rect') {
    const n = args.split(/\s+/).map(parseFloat);
    const paint = new CK.Paint();
    paint.setColor(argb(o.color || 'ff000000'));
    if (o.alpha) paint.setAlphaf(parseFloat(o.alpha));
    if (o.shader) paint.setShader(makeShader(o));
    if (o.cf) paint.setColorFilter(makeColorFilter(o.cf));
    if (o.blend) paint.setBlendMode(CK.BlendMode[o.blend]);
    canvas.save();
    if (o.matrix) { const m = nums(o.matrix); canvas.concat([m[0], m[1], m[2], m[3], m[4], m[5], 0, 0, 1]); }
    canvas.drawRect(CK.LTRBRect(n[0], n[1], n[2], n[3]), paint);
    canvas.restore();
    paint.delete();
  } else {
    throw new Error('unknown command ' + cmd);
  }
});
