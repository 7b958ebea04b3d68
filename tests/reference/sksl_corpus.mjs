// Checks the shading-language test corpus (tests/plix/sksl/corpus) against the reference
// engine's WebAssembly build: every program under pass/ must compile and, where the reference can
// render it (blenders without children too), draw green in every pixel (except programs marked
// "// reference-differs:", where the reference is known to draw something else); every program
// under fail/ must be rejected, and every program under golden/ must compile. Run by hand
// when the corpus changes:   node sksl_corpus.mjs [name-filter]
// With --golden it also renders corpus/golden/*.sksl to corpus/golden/*.png (8-bit RGBA): shaders
// and colour filters over the gradient above, blenders as renderBlender draws them.
import CanvasKitInit from 'canvaskit-wasm/bin/full/canvaskit.js';
import fs from 'fs';
import path from 'path';
import { fileURLToPath } from 'url';

const here = path.dirname(fileURLToPath(import.meta.url));
const corpus = path.join(here, '..', 'plix', 'sksl', 'corpus');
const CK = await CanvasKitInit();
const args = process.argv.slice(2);
const golden = args.includes('--golden');
const filter = args.find((a) => !a.startsWith('--')) || '';

// The settings in a file's leading comment lines (see tests/plix/sksl/CorpusFile.h).
function header(src) {
  const h = { kind: 'shader', error: '', uniforms: {}, children: {}, width: 8, height: 8, differs: '' };
  for (const line of src.split('\n')) {
    if (!line.startsWith('//')) break;
    const m = line.slice(2).trim().match(/^([\w-]+)\s*(\w*)\s*:\s*(.*)$/);
    if (!m) continue;
    const [, key, name, value] = m;
    if (key === 'kind') h.kind = value.trim();
    else if (key === 'error') h.error = value.trim();
    else if (key === 'uniform') h.uniforms[name] = value.trim().split(/\s+/).map(Number);
    else if (key === 'child') h.children[name] = value.trim().split(/\s+/);
    else if (key === 'size') [h.width, h.height] = value.trim().split(/\s+/).map(Number);
    else if (key === 'reference-differs') h.differs = value.trim();
  }
  return h;
}

// Colour filters cannot be made directly here: wrap the program in a shader that feeds it the
// gradient the C++ harness uses.
function asShader(src, h) {
  if (h.kind !== 'colorfilter') return src;
  const renamed = src.replace(/half4\s+main\s*\(/, 'half4 filter_main(');
  return renamed + `
half4 main(float2 p) {
    float i = floor(p.x), j = floor(p.y);
    float a = 0.5 + 0.5 * i / ${Math.max(1, h.width - 1)}.0;
    return filter_main(half4(a * i / ${h.width}.0, a * j / ${h.height}.0, a * 0.25, a));
}`;
}

function compile(src, h) {
  let err = '';
  const cb = (e) => { err += e; };
  const eff = h.kind === 'blender' ? CK.RuntimeEffect.MakeForBlender(src, cb)
                                   : CK.RuntimeEffect.Make(asShader(src, h), cb);
  return { eff, err };
}

const coordsEffect = CK.RuntimeEffect.Make('half4 main(float2 p) { return half4(p / 8, 0, 1); }');

// A shader for the file's uniforms and children, or null when a child kind cannot be made here.
function makeShader(eff, h) {
  const floats = new Float32Array(eff.getUniformFloatCount());
  for (let i = 0; i < eff.getUniformCount(); i++) {
    const u = eff.getUniform(i);
    const values = h.uniforms[eff.getUniformName(i)] || [];
    values.forEach((v, k) => { floats[u.slot + k] = v; });
  }
  const childNames = Object.keys(h.children);
  const decl = /uniform\s+(shader|colorFilter|blender)\s+(\w+)/g;
  const children = [];
  let m;
  while ((m = decl.exec(h.source)) !== null) {
    if (m[1] !== 'shader') return null;
    const spec = h.children[m[2]];
    if (!spec) children.push(CK.Shader.MakeColor(CK.Color4f(0, 0, 0, 0), CK.ColorSpace.SRGB));
    else if (spec[0] === 'coords') children.push(coordsEffect.makeShader([]));
    else if (spec[0] === 'image' && h.dir) {
      const image = CK.MakeImageFromEncoded(fs.readFileSync(path.join(h.dir, spec[1])));
      children.push(image.makeShaderOptions(CK.TileMode.Repeat, CK.TileMode.Repeat, CK.FilterMode.Nearest,
                                            CK.MipmapMode.None));
      image.delete();
    }
    else if (spec[0] === 'solid') {
      children.push(CK.Shader.MakeColor(CK.Color4f(...spec.slice(1).map(Number)), CK.ColorSpace.SRGB));
    } else return null;
  }
  void childNames;
  return children.length ? eff.makeShaderWithChildren(floats, children) : eff.makeShader(floats);
}

// The reference cannot hand colour filter or blender children to an effect: a child "invert"
// (colour filter) or "multiply" (blender) becomes a function NAME_eval doing what the C++ harness's
// child does with the values passed to eval, and NAME.eval calls it.
function inlineChildren(src, h) {
  const bodies = {
    invert: (n) => `half4 ${n}_eval(half4 c) { return half4(c.a - c.rgb, c.a); }`,
    multiply: (n) => `half4 ${n}_eval(half4 s, half4 d) { return s * d; }`,
  };
  return src.replace(/uniform\s+(colorFilter|blender)\s+(\w+)\s*;/g, (all, kind, name) => {
    const spec = h.children[name];
    if (!spec || !bodies[spec[0]]) return all;
    return bodies[spec[0]](name);
  }).replace(/(\w+)\.eval\(/g, (all, name) => {
    const spec = h.children[name];
    return spec && bodies[spec[0]] ? `${name}_eval(` : all;
  });
}

function render(shader, w, h) {
  const surface = CK.MakeSurface(w, h);
  const canvas = surface.getCanvas();
  const paint = new CK.Paint();
  paint.setShader(shader);
  paint.setBlendMode(CK.BlendMode.Src);
  canvas.drawPaint(paint);
  surface.flush();
  const pixels = canvas.readPixels(0, 0, { width: w, height: h, colorType: CK.ColorType.RGBA_8888,
                                           alphaType: CK.AlphaType.Unpremul, colorSpace: CK.ColorSpace.SRGB });
  paint.delete();
  surface.delete();
  return pixels;
}

// A blender drawn as the C++ harness runs it: the source gradient of asShader blended over the
// destination (0.2, 0.4 j / h, 0.6, 0.8), both premultiplied; the destination is held in 32-bit
// floats so that the program sees those values exactly.
function renderBlender(eff, h) {
  const info = { width: h.width, height: h.height, colorType: CK.ColorType.RGBA_F32,
                 alphaType: CK.AlphaType.Premul, colorSpace: CK.ColorSpace.SRGB };
  const memory = CK.Malloc(Float32Array, h.width * h.height * 4);
  const surface = CK.MakeRasterDirectSurface(info, memory, h.width * 16);
  const canvas = surface.getCanvas();
  const dst = CK.RuntimeEffect.Make(`half4 main(float2 p) { return half4(0.2, 0.4 * floor(p.y) / ${h.height}.0, 0.6, 0.8); }`);
  const src = CK.RuntimeEffect.Make(asShader('half4 main(half4 c) { return c; }', { ...h, kind: 'colorfilter' }));
  const paint = new CK.Paint();
  paint.setShader(dst.makeShader([]));
  paint.setBlendMode(CK.BlendMode.Src);
  canvas.drawPaint(paint);
  paint.setShader(src.makeShader([]));
  const floats = new Float32Array(eff.getUniformFloatCount());
  for (let i = 0; i < eff.getUniformCount(); i++) {
    (h.uniforms[eff.getUniformName(i)] || []).forEach((v, k) => { floats[eff.getUniform(i).slot + k] = v; });
  }
  paint.setBlender(eff.makeBlender(floats));
  canvas.drawPaint(paint);
  surface.flush();
  const pixels = canvas.readPixels(0, 0, { width: h.width, height: h.height, colorType: CK.ColorType.RGBA_8888,
                                           alphaType: CK.AlphaType.Unpremul, colorSpace: CK.ColorSpace.SRGB });
  paint.delete();
  surface.delete();
  CK.Free(memory);
  return pixels;
}

let failures = 0;
const report = (ok, name, text) => {
  if (!ok) failures++;
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${name}${text ? ': ' + text : ''}`);
};

for (const folder of ['pass', 'fail']) {
  const dir = path.join(corpus, folder);
  for (const file of fs.readdirSync(dir).filter((f) => f.endsWith('.sksl')).sort()) {
    if (filter && !file.includes(filter)) continue;
    const src = fs.readFileSync(path.join(dir, file), 'utf8');
    const h = header(src);
    h.source = src;
    const { eff, err } = compile(src, h);
    const name = `${folder}/${file}`;
    if (folder === 'fail') {
      const first = err.split('\n')[0];
      if (eff) report(false, name, 'the reference accepts it');
      else report(true, name, (first.includes(h.error.replace(/^\d+:\d+: /, '')) ? '' : '[other wording] ') + first);
      if (eff) eff.delete();
      continue;
    }
    if (!eff) { report(false, name, err.split('\n')[0]); continue; }
    if (h.differs) { report(true, name, 'compiles (the reference draws it differently, see the file)'); eff.delete(); continue; }
    let px;
    if (h.kind === 'blender') {
      if (/uniform\s+(shader|colorFilter|blender)\s/.test(src)) {
        report(true, name, 'compiles (its children cannot be made here)');
        eff.delete();
        continue;
      }
      px = renderBlender(eff, h);
    } else {
      const shader = makeShader(eff, h);
      if (!shader) { report(true, name, 'compiles (its children cannot be made here)'); eff.delete(); continue; }
      px = render(shader, h.width, h.height);
      shader.delete();
    }
    let bad = 0, example = '';
    for (let i = 0; i < h.width * h.height; i++) {
      const [r, g, b, a] = px.slice(4 * i, 4 * i + 4);
      if (!(r <= 3 && g >= 252 && b <= 3 && a >= 252)) {
        if (!bad) example = `pixel ${i % h.width},${Math.floor(i / h.width)} = ${r},${g},${b},${a}`;
        bad++;
      }
    }
    report(bad === 0, name, bad ? `${bad} pixels not green, e.g. ${example}` : 'green');
    eff.delete();
  }
}

// Every golden program must compile in the reference; with --golden it is also drawn.
{
  const dir = path.join(corpus, 'golden');
  for (const file of fs.readdirSync(dir).filter((f) => f.endsWith('.sksl')).sort()) {
    if (filter && !file.includes(filter)) continue;
    const h = header(fs.readFileSync(path.join(dir, file), 'utf8'));
    const src = inlineChildren(fs.readFileSync(path.join(dir, file), 'utf8'), h);
    h.source = src;
    h.dir = dir;
    const { eff, err } = compile(src, h);
    if (!eff) { report(false, `golden/${file}`, err.split('\n')[0]); continue; }
    if (!golden) { report(true, `golden/${file}`, 'compiles'); eff.delete(); continue; }
    let px;
    if (h.kind === 'blender') {
      px = renderBlender(eff, h);
    } else {
      const shader = makeShader(eff, h);
      if (!shader) { report(false, `golden/${file}`, 'its children cannot be made here'); eff.delete(); continue; }
      px = render(shader, h.width, h.height);
      shader.delete();
    }
    const img = CK.MakeImage({ width: h.width, height: h.height, colorType: CK.ColorType.RGBA_8888,
                               alphaType: CK.AlphaType.Unpremul, colorSpace: CK.ColorSpace.SRGB },
                             px, 4 * h.width);
    fs.writeFileSync(path.join(dir, file.replace(/\.sksl$/, '.png')), img.encodeToBytes());
    report(true, `golden/${file}`, 'rendered');
    img.delete();
    eff.delete();
  }
}
console.log(failures ? `${failures} problem(s)` : 'all good');
process.exit(failures ? 1 : 0);
