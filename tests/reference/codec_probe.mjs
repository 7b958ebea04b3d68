// Prints what the reference engine decodes from encoded files: size, then each row's first pixel
// as unpremultiplied RGBA8888 (or "null" when it refuses the file). The codec tests' expected
// values come from here: node codec_probe.mjs FILE...
import fs from 'node:fs';
import { CK } from './lib/golden.mjs';

for (const file of process.argv.slice(2)) {
  const image = CK.MakeImageFromEncoded(fs.readFileSync(file));
  if (!image) { console.log(`${file}: null`); continue; }
  const w = image.width(), h = image.height();
  const px = image.readPixels(0, 0, { width: w, height: h, colorType: CK.ColorType.RGBA_8888,
                                      alphaType: CK.AlphaType.Unpremul, colorSpace: CK.ColorSpace.SRGB });
  const rows = [];
  for (let y = 0; y < h; ++y) rows.push(`{${Array.from(px.slice(y * w * 4, y * w * 4 + 4)).join(', ')}}`);
  console.log(`${file}: ${w} x ${h}\n  ${rows.join(', ')}`);
}
