// Makes the expected pictures of the sksl-render tests with the reference engine's WebAssembly
// build (installed under tests/reference/node_modules). A test tool only; run by hand when a case
// or a fixture changes:   node tests/tools/sksl-render/make_expected.mjs
//
// It writes the input pictures (photo.png, tile.png) and, for each line of cases.txt, draws the
// scene the tool draws for those arguments into expected/NAME.png: an sRGB surface cleared to
// transparent black; a shader fills it; a colour filter filters the input drawn scaled to the
// size with nearest sampling; a blender blends a rectangle of (51, 153, 204, 178) over that
// input. Child pictures are image shaders, clamped, nearest. The reference makes no runtime
// colour filters, so a colour filter runs inside a shader that feeds it the input's colour.
import CanvasKitInit from '../../reference/node_modules/canvaskit-wasm/bin/full/canvaskit.js';
import fs from 'fs';
import path from 'path';
import { fileURLToPath } from 'url';

const here = path.dirname(fileURLToPath(import.meta.url));
const CK = await CanvasKitInit();

function writePng(file, surface) {
  fs.writeFileSync(path.join(here, file), surface.makeImageSnapshot().encodeToBytes());
}

// Inputs: a picture with smooth colours and alpha, and a small tile of distinct pixels.
function makeInputs() {
  const photo = CK.MakeSurface(16, 12);
  const eff = CK.RuntimeEffect.Make(`half4 main(float2 p) {
      float2 u = p / float2(16, 12);
      half a = half(0.35 + 0.65 * u.y);
      return half4(half(u.x), half(0.8 - 0.6 * u.y), half(0.3 + 0.5 * u.x * u.y), 1) * a; }`);
  const paint = new CK.Paint();
  paint.setShader(eff.makeShader([]));
  photo.getCanvas().drawPaint(paint);
  writePng('photo.png', photo);

  const tile = CK.MakeSurface(4, 4);
  const canvas = tile.getCanvas();
  canvas.clear(CK.Color(0, 0, 0, 0));
  const colours = [[230, 40, 40, 1], [40, 200, 60, 1], [30, 60, 220, 1], [240, 220, 30, 0.5]];
  for (let y = 0; y < 4; y++) {
    for (let x = 0; x < 4; x++) {
      const p = new CK.Paint();
      const [r, g, b, a] = colours[(x + 2 * y) % 4];
      p.setColor(CK.Color(r, g, b, y === 3 && x === 0 ? 0 : a));
      p.setBlendMode(CK.BlendMode.Src);
      canvas.drawRect(CK.XYWHRect(x, y, 1, 1), p);
    }
  }
  writePng('tile.png', tile);
}

// The tool's arguments, as the tool reads them.
function parse(args) {
  const o = { kind: 'shader', width: 256, height: 256, uniforms: {}, children: {}, input: '', source: '' };
  for (let i = 0; i < args.length; i++) {
    const a = args[i];
    if (a === '--kind') o.kind = args[++i];
    else if (a === '--size') [o.width, o.height] = args[++i].split('x').map(Number);
    else if (a === '--uniform') {
      const [name, values] = args[++i].split('=');
      o.uniforms[name] = values.split(',').map(Number);
    } else if (a === '--child') {
      const [name, file] = args[++i].split('=');
      o.children[name] = file;
    } else if (a === '--input') o.input = args[++i];
    else o.source = a;
  }
  return o;
}

function compile(src, kind) {
  let err = '';
  const eff = kind === 'blender' ? CK.RuntimeEffect.MakeForBlender(src, (e) => { err += e; })
                                 : CK.RuntimeEffect.Make(src, (e) => { err += e; });
  if (!eff) throw new Error(err);
  return eff;
}

function uniforms(eff, values) {
  const floats = new Float32Array(eff.getUniformFloatCount());
  for (let i = 0; i < eff.getUniformCount(); i++) {
    const u = eff.getUniform(i);
    (values[eff.getUniformName(i)] || []).forEach((v, k) => { floats[u.slot + k] = v; });
  }
  return floats;
}

function image(file) {
  return CK.MakeImageFromEncoded(fs.readFileSync(path.join(here, file)));
}

const nearestClamp = (img, matrix) =>
  img.makeShaderOptions(CK.TileMode.Clamp, CK.TileMode.Clamp, CK.FilterMode.Nearest, CK.MipmapMode.None, matrix);

function render(o) {
  let src = fs.readFileSync(path.join(here, o.source), 'utf8');
  const surface = CK.MakeSurface(o.width, o.height);
  const canvas = surface.getCanvas();
  canvas.clear(CK.Color(0, 0, 0, 0));
  const paint = new CK.Paint();
  const input = o.input ? image(o.input) : null;
  const inputRect = () => CK.XYWHRect(0, 0, input.width(), input.height());
  const whole = CK.XYWHRect(0, 0, o.width, o.height);

  if (o.kind === 'colorfilter') {
    src = src.replace(/half4\s+main\s*\(/, 'half4 filter_main(') +
      '\nuniform shader tool_input;\nhalf4 main(float2 p) { return filter_main(tool_input.eval(p)); }\n';
    const eff = compile(src, 'shader');
    const scale = CK.Matrix.scaled(o.width / input.width(), o.height / input.height());
    paint.setShader(eff.makeShaderWithChildren(uniforms(eff, o.uniforms), [nearestClamp(input, scale)]));
    canvas.drawRect(whole, paint);
  } else if (o.kind === 'blender') {
    canvas.drawImageRectOptions(input, inputRect(), whole, CK.FilterMode.Nearest, CK.MipmapMode.None, null);
    const eff = compile(src, 'blender');
    paint.setColor(CK.Color(51, 153, 204, 178 / 255));
    paint.setBlender(eff.makeBlender(uniforms(eff, o.uniforms)));
    canvas.drawRect(whole, paint);
  } else {
    const eff = compile(src, 'shader');
    const decl = /uniform\s+shader\s+(\w+)/g;
    const children = [];
    let m;
    while ((m = decl.exec(src)) !== null) children.push(nearestClamp(image(o.children[m[1]])));
    const u = uniforms(eff, o.uniforms);
    paint.setShader(children.length ? eff.makeShaderWithChildren(u, children) : eff.makeShader(u));
    canvas.drawPaint(paint);
  }
  surface.flush();
  return surface;
}

makeInputs();
for (const line of fs.readFileSync(path.join(here, 'cases.txt'), 'utf8').split('\n')) {
  if (!line.trim() || line.startsWith('#')) continue;
  const [name, ...args] = line.trim().split(/\s+/);
  writePng(path.join('expected', `${name}.png`), render(parse(args)));
  console.log(`ok   ${name}`);
}
