// Runs Tilefall's two shaders (Assets/BufferA.sksl and Assets/Image.sksl) in the reference
// engine the way the game's host does, and reads the game state back.
//
// Each frame: BufferA is drawn into a new 14 x 14 RGBA_F16 premultiplied image, with last
// frame's image as iChannel0 (nearest sampling, clamped edges); on the first frame iChannel0 is
// transparent black. Image.sksl is drawn at any window size with this frame's state image.
import CanvasKitInit from 'canvaskit-wasm/bin/full/canvaskit.js';
import fs from 'fs';
import path from 'path';
import { fileURLToPath } from 'url';

const here = path.dirname(fileURLToPath(import.meta.url));
export const ASSETS = path.join(here, '../../Assets');
export const STATE_SIZE = 14;

let ckPromise = null;
export function canvasKit() {
  if (!ckPromise) ckPromise = CanvasKitInit();
  return ckPromise;
}

// The uniforms each program must declare, with their float counts and integer-ness.
export const BUFFER_UNIFORMS = {
  iResolution: [2, false], iTime: [1, false], iTimeDelta: [1, false], iFrame: [1, null],
  iMouse: [3, false], ivkLeftPressing: [1, true], ivkRightPressing: [1, true],
  ivkSpacePressing: [1, true],
};
export const IMAGE_UNIFORMS = { iResolution: [2, false], iTime: [1, false] };

function compile(CK, file) {
  const src = fs.readFileSync(file, 'utf8');
  let err = '';
  const eff = CK.RuntimeEffect.Make(src, (e) => { err += e; });
  if (!eff) throw new Error(`${path.basename(file)} does not compile:\n${err}`);
  return eff;
}

function uniformTable(eff) {
  const t = {};
  for (let i = 0; i < eff.getUniformCount(); i++) {
    const u = eff.getUniform(i);
    t[eff.getUniformName(i)] = { slot: u.slot, count: u.rows * u.columns, isInteger: u.isInteger };
  }
  return t;
}

// Problems with a program's uniforms against the host's list (empty when it matches).
export function uniformProblems(eff, wanted, exact) {
  const t = uniformTable(eff);
  const out = [];
  for (const [name, [count, isInt]] of Object.entries(wanted)) {
    const u = t[name];
    if (!u) out.push(`missing uniform ${name}`);
    else if (u.count !== count || (isInt !== null && u.isInteger !== isInt)) out.push(`uniform ${name} has the wrong type`);
  }
  if (exact) for (const name of Object.keys(t)) if (!(name in wanted)) out.push(`unexpected uniform ${name}`);
  return out;
}

function packUniforms(eff, values) {
  const t = uniformTable(eff);
  const arr = new Float32Array(eff.getUniformFloatCount());
  for (const [name, u] of Object.entries(t)) {
    let v = values[name];
    if (v === undefined) throw new Error(`no value for uniform ${name}`);
    if (!Array.isArray(v)) v = [v];
    if (v.length !== u.count) throw new Error(`uniform ${name} takes ${u.count} values`);
    for (let i = 0; i < u.count; i++) arr[u.slot + i] = v[i];
  }
  return arr;
}

export class Game {
  // opts: { bufferFile, imageFile, width, height }
  static async create(opts = {}) {
    const CK = await canvasKit();
    return new Game(CK, opts);
  }

  constructor(CK, opts) {
    this.CK = CK;
    this.width = opts.width ?? 640;
    this.height = opts.height ?? 347;
    this.buffer = compile(CK, opts.bufferFile ?? path.join(ASSETS, 'BufferA.sksl'));
    this.image = compile(CK, opts.imageFile ?? path.join(ASSETS, 'Image.sksl'));
    this.stateInfo = {
      width: STATE_SIZE, height: STATE_SIZE, colorType: CK.ColorType.RGBA_F16,
      alphaType: CK.AlphaType.Premul, colorSpace: CK.ColorSpace.SRGB,
    };
    this.screen = CK.MakeSurface(this.width, this.height);
    this.stateSurface = this.screen.makeSurface(this.stateInfo);
    if (!this.stateSurface) throw new Error('no RGBA_F16 surface');
    this.paint = new CK.Paint();
    this.paint.setBlendMode(CK.BlendMode.Src);
    this.restart();
  }

  // Back to before the first frame.
  restart() {
    if (this.state) this.state.delete();
    this.state = null;
    this.frameIndex = 0;
    this.time = 0;
  }

  childOf(img) {
    const CK = this.CK;
    if (!img) return CK.Shader.MakeColor(CK.Color4f(0, 0, 0, 0), CK.ColorSpace.SRGB);
    return img.makeShaderOptions(CK.TileMode.Clamp, CK.TileMode.Clamp, CK.FilterMode.Nearest, CK.MipmapMode.None);
  }

  // One state pass. input: { dt, left, right, space, mouse: [x, y] (a press this frame) }.
  // The first frame's time step is its time (0 here unless input.dt is given).
  step(input = {}) {
    const CK = this.CK;
    const dt = this.frameIndex === 0 ? (input.dt ?? 0) : (input.dt ?? 1 / 60);
    this.time += dt;
    if (input.mouse) this.mouse = [input.mouse[0], input.mouse[1]];
    const m = this.mouse ?? [0, 0];
    const uniforms = packUniforms(this.buffer, {
      iResolution: [this.width, this.height], iTime: this.time, iTimeDelta: dt, iFrame: this.frameIndex,
      iMouse: [m[0], m[1], input.mouse ? 1 : 0], ivkLeftPressing: input.left ? 1 : 0,
      ivkRightPressing: input.right ? 1 : 0, ivkSpacePressing: input.space ? 1 : 0,
    });
    const child = this.childOf(this.state);
    const shader = this.buffer.makeShaderWithChildren(uniforms, [child]);
    this.paint.setShader(shader);
    const canvas = this.stateSurface.getCanvas();
    canvas.clear(CK.Color4f(0, 0, 0, 0));
    canvas.drawPaint(this.paint);
    this.paint.setShader(null);
    shader.delete();
    child.delete();
    if (this.state) this.state.delete();
    this.state = this.stateSurface.makeImageSnapshot();
    this.frameIndex++;
    return this.read();
  }

  // The raw state: Float32Array of 14 * 14 * 4 channel values.
  raw(img = this.state) {
    const CK = this.CK;
    // The reference engine hands back a longer array than the pixels fill: keep 4 per pixel.
    const px = img.readPixels(0, 0, { ...this.stateInfo, colorType: CK.ColorType.RGBA_F32 });
    return Float32Array.from(px.subarray(0, STATE_SIZE * STATE_SIZE * 4));
  }

  read() {
    return decodeState(this.raw());
  }

  // Draws this frame's picture at width x height; returns { png, pixels (RGBA bytes) }.
  render(width = this.width, height = this.height) {
    const CK = this.CK;
    const surface = width === this.width && height === this.height ? this.screen : CK.MakeSurface(width, height);
    const child = this.childOf(this.state);
    const shader = this.image.makeShaderWithChildren(
      packUniforms(this.image, { iResolution: [width, height], iTime: this.time }), [child]);
    this.paint.setShader(shader);
    surface.getCanvas().drawPaint(this.paint);
    this.paint.setShader(null);
    shader.delete();
    child.delete();
    const img = surface.makeImageSnapshot();
    const png = img.encodeToBytes();
    const pixels = img.readPixels(0, 0, {
      width, height, colorType: CK.ColorType.RGBA_8888, alphaType: CK.AlphaType.Unpremul,
      colorSpace: CK.ColorSpace.SRGB,
    });
    img.delete();
    if (surface !== this.screen) surface.delete();
    return { png, pixels, width, height };
  }

  // Draws `raw` (a state image's pixels) through a pass-through program into a new RGBA_F16
  // image, as the next frame would read it, and returns what comes out.
  roundTrip() {
    const CK = this.CK;
    const copy = CK.RuntimeEffect.Make('uniform shader s; half4 main(float2 p) { return s.eval(p); }');
    const child = this.childOf(this.state);
    const shader = copy.makeShaderWithChildren([], [child]);
    const surf = this.screen.makeSurface(this.stateInfo);
    const paint = new CK.Paint();
    paint.setBlendMode(CK.BlendMode.Src);
    paint.setShader(shader);
    surf.getCanvas().drawPaint(paint);
    const img = surf.makeImageSnapshot();
    const out = this.raw(img);
    for (const o of [img, surf, paint, shader, child, copy]) o.delete();
    return out;
  }
}

// ---- The state layout (see the table at the top of Assets/BufferA.sksl) ----
const dec = (v) => Math.floor(v * 255 + 0.5);

export function decodeState(raw) {
  const px = (x, y) => raw.subarray((y * STATE_SIZE + x) * 4, (y * STATE_SIZE + x) * 4 + 4);
  const num = (p) => dec(p[0]) * 10000 + dec(p[1]) * 100 + dec(p[2]);
  const time = (p) => (dec(p[0]) + p[1]) / 100;
  const board = [];
  const shown = [];
  const blinkRows = [];
  for (let y = 0; y < 14; y++) {
    const row = [];
    const show = [];
    for (let x = 0; x < 10; x++) {
      row.push(dec(px(x, y)[0]));
      show.push(dec(px(x, y)[2]));
    }
    board.push(row);
    shown.push(show);
    blinkRows.push(dec(px(0, y)[1]) === 1);
  }
  const v = (x, y) => px(x, y);
  const s = {
    raw, board, shown, blinkRows,
    valid: dec(v(10, 0)[0]) === 200,
    over: dec(v(10, 0)[1]) === 1,
    blinking: dec(v(10, 0)[2]) === 1,
    kind: dec(v(10, 1)[0]), rot: dec(v(10, 1)[1]), next: dec(v(10, 1)[2]),
    x: dec(v(10, 2)[0]) - 16, y: dec(v(10, 2)[1]) - 16, ghostY: dec(v(10, 2)[2]) - 16,
    score: num(v(10, 3)), lines: num(v(10, 4)), level: dec(v(10, 5)[0]), bag: dec(v(10, 5)[1]),
    best: num(v(10, 6)), seed: dec(v(10, 7)[0]) * 256 + dec(v(10, 7)[1]) + 1,
    fallT: time(v(11, 0)), lockT: time(v(11, 1)), blinkT: time(v(11, 2)),
    leftT: time(v(11, 3)), leftHeld: dec(v(11, 3)[2]), rightT: time(v(11, 4)), rightHeld: dec(v(11, 4)[2]),
    shape: [dec(v(12, 0)[0]), dec(v(12, 0)[1]), dec(v(12, 0)[2]), dec(v(12, 1)[0])],
    nextShape: [dec(v(12, 2)[0]), dec(v(12, 2)[1]), dec(v(12, 2)[2]), dec(v(12, 3)[0])],
  };
  return s;
}

// ---- The pieces, built here from their entry orientation by turning them in their box ----
export const KIND_NAMES = ' IOTSZJL';
const ENTRY = {
  1: { n: 4, cells: [[0, 1], [1, 1], [2, 1], [3, 1]] },
  2: { n: 0, cells: [[1, 0], [2, 0], [1, 1], [2, 1]] },
  3: { n: 3, cells: [[1, 0], [0, 1], [1, 1], [2, 1]] },
  4: { n: 3, cells: [[1, 0], [2, 0], [0, 1], [1, 1]] },
  5: { n: 3, cells: [[0, 0], [1, 0], [1, 1], [2, 1]] },
  6: { n: 3, cells: [[0, 0], [0, 1], [1, 1], [2, 1]] },
  7: { n: 3, cells: [[2, 0], [0, 1], [1, 1], [2, 1]] },
};

// Cells [cx, cy] of a piece kind at rotation rot (clockwise quarter turns).
export function cellsOf(kind, rot) {
  const e = ENTRY[kind];
  let cells = e.cells.map((c) => c.slice());
  if (e.n > 0) for (let r = 0; r < rot; r++) cells = cells.map(([x, y]) => [e.n - 1 - y, x]);
  return cells;
}

export function shapeIndices(kind, rot) {
  return cellsOf(kind, rot).map(([x, y]) => x + 4 * y).sort((a, b) => a - b);
}

// What each cell should show for state s: the falling piece's kind on its cells, 8 + kind on
// its landing cells, else the locked kind.
export function expectedShown(s) {
  const out = s.board.map((r) => r.slice());
  if (s.kind > 0) {
    const cells = cellsOf(s.kind, s.rot);
    if (s.ghostY > s.y) {
      for (const [cx, cy] of cells) {
        const bx = s.x + cx, by = s.ghostY + cy;
        if (by >= 0 && by < 14 && out[by][bx] === 0) out[by][bx] = 8 + s.kind;
      }
    }
    for (const [cx, cy] of cells) if (s.y + cy >= 0) out[s.y + cy][s.x + cx] = s.kind;
  }
  return out;
}

// Board cells [bx, by] that the falling piece of state s covers, from its stored cells.
export function pieceCells(s) {
  return s.shape.map((c) => [s.x + (c % 4), s.y + Math.floor(c / 4)]);
}

export function fits(board, kind, rot, x, y) {
  return cellsOf(kind, rot).every(([cx, cy]) => {
    const bx = x + cx, by = y + cy;
    if (bx < 0 || bx > 9 || by > 13) return false;
    return by < 0 || board[by][bx] === 0;
  });
}

export function dropRow(board, kind, rot, x, y) {
  while (fits(board, kind, rot, x, y + 1)) y++;
  return y;
}

// The board after locking a piece, the rows it fills, and the board once they are removed.
export function lockInto(board, kind, rot, x, y) {
  const b = board.map((r) => r.slice());
  for (const [cx, cy] of cellsOf(kind, rot)) if (y + cy >= 0) b[y + cy][x + cx] = kind;
  const full = [];
  b.forEach((r, i) => { if (r.every((c) => c !== 0)) full.push(i); });
  const kept = b.filter((r, i) => !full.includes(i));
  const cleared = [];
  while (cleared.length + kept.length < 14) cleared.push(new Array(10).fill(0));
  return { locked: b, full, cleared: cleared.concat(kept) };
}

// ---- Screen geometry of the board (the rule both shaders use) ----
export function boardLayout(w, h) {
  const cs = Math.max(1, Math.floor(Math.min((h * 0.92) / 14, w / 24)));
  const ox = Math.floor((w - 10 * cs) * 0.5);
  const oy = Math.floor((h - 14 * cs) * 0.5);
  return { cs, ox, oy, width: 10 * cs, height: 14 * cs };
}

export function boardToScreen(layout, bx, by) {
  return [layout.ox + (bx + 0.5) * layout.cs, layout.oy + (by + 0.5) * layout.cs];
}
