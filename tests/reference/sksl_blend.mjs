// Renders the blend scenes of the shading-language corpus (tests/plix/sksl/corpus/blend) with the
// reference engine's WebAssembly build into NAME.png beside each NAME.sksl. A test tool only; run
// by hand when a scene changes:   node sksl_blend.mjs [name-filter]
//
// A scene: the surface (the file's "size", default 32 x 32) is cleared, scene/destination.sksl
// is drawn over all of it with the Src mode, then the rectangle (2.5, 2.5, w - 2.5, h - 2.5) is
// filled anti-aliased. A blender file ("kind: blender") is that fill's blender, over the shader
// scene/source.sksl; a shader file is that fill's shader, drawn source-over.
//
// The reference cannot hand blender children to an effect, so a child "// child NAME: blender
// FILE" is inlined: FILE's main becomes a function NAME_main, the parent's NAME.eval calls it.
import CanvasKitInit from 'canvaskit-wasm/bin/full/canvaskit.js';
import fs from 'fs';
import path from 'path';
import { fileURLToPath } from 'url';

const here = path.dirname(fileURLToPath(import.meta.url));
const dir = path.join(here, '..', 'plix', 'sksl', 'corpus', 'blend');
const CK = await CanvasKitInit();
const filter = process.argv.slice(2).find((a) => !a.startsWith('--')) || '';

// The settings of a file's leading comment lines (as tests/plix/sksl/CorpusFile.h reads them).
function header(src) {
  const h = { kind: 'shader', uniforms: {}, children: {}, width: 32, height: 32 };
  for (const line of src.split('\n')) {
    if (!line.startsWith('//')) break;
    const m = line.slice(2).trim().match(/^([\w-]+)\s*(\w*)\s*:\s*(.*)$/);
    if (!m) continue;
    const [, key, name, value] = m;
    if (key === 'kind') h.kind = value.trim();
    else if (key === 'uniform') h.uniforms[name] = value.trim().split(/\s+/).map(Number);
    else if (key === 'child') h.children[name] = value.trim().split(/\s+/);
    else if (key === 'size') [h.width, h.height] = value.trim().split(/\s+/).map(Number);
  }
  return h;
}

function inlineChildren(src, h) {
  let out = src;
  let prelude = '';
  for (const [name, spec] of Object.entries(h.children)) {
    if (spec[0] !== 'blender') throw new Error(`child ${name}: only blender children are inlined`);
    const child = fs.readFileSync(path.join(dir, spec[1]), 'utf8');
    prelude += child.replace(/half4\s+main\s*\(/, `half4 ${name}_main(`) + '\n';
    out = out.replace(new RegExp(`uniform\\s+blender\\s+${name}\\s*;`), '');
    out = out.replace(new RegExp(`\\b${name}\\.eval\\(`, 'g'), `${name}_main(`);
  }
  return prelude + out;
}

function compile(src, kind) {
  let err = '';
  const eff = kind === 'blender' ? CK.RuntimeEffect.MakeForBlender(src, (e) => { err += e; })
                                 : CK.RuntimeEffect.Make(src, (e) => { err += e; });
  if (!eff) throw new Error(err);
  return eff;
}

function uniformsOf(eff, values) {
  const floats = new Float32Array(eff.getUniformFloatCount());
  for (let i = 0; i < eff.getUniformCount(); i++) {
    const u = eff.getUniform(i);
    if (u.isInteger) throw new Error('integer uniforms are not used in blend scenes');
    (values[eff.getUniformName(i)] || []).forEach((v, k) => { floats[u.slot + k] = v; });
  }
  return floats;
}

function sceneShader(file, w, h) {
  const eff = compile(fs.readFileSync(path.join(dir, 'scene', file), 'utf8'), 'shader');
  return eff.makeShader(uniformsOf(eff, { size: [w, h] }));
}

let failures = 0;
for (const file of fs.readdirSync(dir).filter((f) => f.endsWith('.sksl')).sort()) {
  if (filter && !file.includes(filter)) continue;
  try {
    const src = fs.readFileSync(path.join(dir, file), 'utf8');
    const h = header(src);
    const eff = compile(inlineChildren(src, h), h.kind);
    const surface = CK.MakeSurface(h.width, h.height);
    const canvas = surface.getCanvas();
    canvas.clear(CK.Color4f(0, 0, 0, 0));

    const dst = new CK.Paint();
    dst.setShader(sceneShader('destination.sksl', h.width, h.height));
    dst.setBlendMode(CK.BlendMode.Src);
    canvas.drawPaint(dst);

    const paint = new CK.Paint();
    paint.setAntiAlias(true);
    if (h.kind === 'blender') {
      paint.setShader(sceneShader('source.sksl', h.width, h.height));
      paint.setBlender(eff.makeBlender(uniformsOf(eff, h.uniforms)));
    } else {
      paint.setShader(eff.makeShader(uniformsOf(eff, h.uniforms)));
    }
    canvas.drawRect(CK.LTRBRect(2.5, 2.5, h.width - 2.5, h.height - 2.5), paint);
    surface.flush();
    const png = surface.makeImageSnapshot().encodeToBytes();
    fs.writeFileSync(path.join(dir, file.replace(/\.sksl$/, '.png')), png);
    console.log(`ok   ${file}`);
  } catch (e) {
    failures++;
    console.log(`FAIL ${file}: ${e.message.split('\n')[0]}`);
  }
}
process.exit(failures ? 1 : 0);
