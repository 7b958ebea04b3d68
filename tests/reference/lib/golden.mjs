// What the golden scripts share: the reference engine, the walk over a scene list and the PNG of
// a finished scene. The PNGs hold the surface's premultiplied RGBA bytes unchanged (written as
// if unpremultiplied), so the tests compare bytes exactly as stored.
import CanvasKitInit from 'canvaskit-wasm/bin/full/canvaskit.js';
import fs from 'node:fs';
import path from 'node:path';

export const CK = await CanvasKitInit();

// 'AARRGGBB' to a colour.
export function argb(hex) {
  const v = parseInt(hex, 16);
  return CK.Color4f(((v >>> 16) & 255) / 255, ((v >>> 8) & 255) / 255, (v & 255) / 255, (v >>> 24) / 255);
}

// 'k=v k2=v2' to { k: 'v', k2: 'v2' }.
export function parseOptions(text) {
  const o = {};
  for (const kv of (text || '').trim().split(/\s+/).filter(Boolean)) {
    const i = kv.indexOf('=');
    o[kv.slice(0, i)] = kv.slice(i + 1);
  }
  return o;
}

function writeScenePng(canvas, w, h, file) {
  const info = { width: w, height: h, colorType: CK.ColorType.RGBA_8888, alphaType: CK.AlphaType.Premul,
                 colorSpace: CK.ColorSpace.SRGB };
  const px = canvas.readPixels(0, 0, info);
  const img = CK.MakeImage({ ...info, alphaType: CK.AlphaType.Unpremul }, px, 4 * w);
  fs.writeFileSync(file, img.encodeToBytes());
  img.delete();
}

// Renders every scene of <fixtures>/scenes.txt: "scene NAME W H" starts a surface cleared to
// transparent, "end" writes <fixtures>/NAME.png, and every other line goes to
// draw(canvas, cmd, args, options, scene), args being the text between the command and '|'.
// With a prefix, only the scenes whose names start with it are written.
export function renderScenes(fixtures, draw, prefix = '') {
  const lines = fs.readFileSync(path.join(fixtures, 'scenes.txt'), 'utf8').split('\n');
  let surface = null, canvas = null, scene = null, count = 0;
  for (const raw of lines) {
    const line = raw.trim();
    if (!line || line.startsWith('#')) continue;
    const [head, opts] = line.split('|');
    const words = head.trim().split(/\s+/);
    const cmd = words[0];
    const args = head.trim().slice(cmd.length).trim();
    if (cmd === 'scene') {
      scene = { name: words[1], w: parseInt(words[2]), h: parseInt(words[3]) };
      surface = CK.MakeSurface(scene.w, scene.h);
      canvas = surface.getCanvas();
      canvas.clear(CK.TRANSPARENT);
    } else if (cmd === 'end') {
      if (!scene.name.startsWith(prefix)) {
        surface.delete();
        continue;
      }
      writeScenePng(canvas, scene.w, scene.h, path.join(fixtures, scene.name + '.png'));
      surface.delete();
      ++count;
    } else {
      draw(canvas, cmd, args, parseOptions(opts), scene);
    }
  }
  console.log(`wrote ${count} fixtures`);
}
