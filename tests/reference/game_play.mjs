// Plays Tilefall's shaders in the reference engine with scripted input, checks the rules, and
// writes chosen frames as PNG files.
//
// Usage: node game_play.mjs [output folder]      (default /tmp/tilefall-frames)
// Exit status 0 when every check passes.
import fs from 'fs';
import path from 'path';
import {
  Game, canvasKit, decodeState, uniformProblems, BUFFER_UNIFORMS, IMAGE_UNIFORMS, STATE_SIZE,
  cellsOf, shapeIndices, pieceCells, expectedShown, fits, dropRow, lockInto, boardLayout, boardToScreen, KIND_NAMES,
} from './game_sim.mjs';

const outDir = process.argv[2] ?? '/tmp/tilefall-frames';
fs.mkdirSync(outDir, { recursive: true });

let passed = 0;
let failed = 0;
function check(ok, what, detail = '') {
  if (ok) {
    passed++;
    console.log(`ok      ${what}`);
  } else {
    failed++;
    console.log(`FAILED  ${what}${detail ? `: ${detail}` : ''}`);
  }
  return ok;
}

function save(name, frame) {
  const file = path.join(outDir, name);
  fs.writeFileSync(file, frame.png);
  console.log(`        wrote ${file}`);
}

// Seconds per row at level 0, and the factor per level.
const FALL0 = 0.5;
const FALL_FACTOR = 0.85;
const LOCK_DELAY = 0.5;

const emptyBoard = () => Array.from({ length: 14 }, () => new Array(10).fill(0));
const sameBoard = (a, b) => a.every((row, y) => row.every((c, x) => c === b[y][x]));
const boardText = (b) => b.map((r) => r.map((c) => KIND_NAMES[c].replace(' ', '.')).join('')).join('\n');
const minCol = (s) => Math.min(...pieceCells(s).map((c) => c[0]));
const maxCol = (s) => Math.max(...pieceCells(s).map((c) => c[0]));
const topCell = (s) => Math.min(...pieceCells(s).map((c) => c[1]));
const sameList = (a, b) => a.length === b.length && a.every((v, i) => v === b[i]);
const sorted = (a) => a.slice().sort((x, y) => x - y);

const game = await Game.create({ width: 640, height: 347 });
const layout = boardLayout(game.width, game.height);
const boardCentre = [layout.ox + layout.width / 2, layout.oy + layout.height / 2];

// Runs n frames; input(i, state) gives each frame's input. Returns the states.
function run(n, input = () => ({}), g = game) {
  const states = [];
  let s = g.lastState ?? null;
  for (let i = 0; i < n; i++) {
    s = g.step(input(i, s) ?? {});
    states.push(s);
  }
  g.lastState = s;
  return states;
}
function fresh(g = game) {
  g.restart();
  g.lastState = null;
  return run(1, () => ({}), g)[0];
}

// ---------------------------------------------------------------------------------------------
console.log('# programs');
{
  const CK = await canvasKit();
  const buffer = game.buffer;
  const image = game.image;
  const p1 = uniformProblems(buffer, BUFFER_UNIFORMS, true);
  check(p1.length === 0, 'BufferA declares the host uniforms', p1.join(', '));
  const p2 = uniformProblems(image, IMAGE_UNIFORMS, true);
  check(p2.length === 0, 'Image declares only iResolution and iTime', p2.join(', '));
  check(buffer.getUniformCount() >= 8 && image.getUniformCount() === 2, 'uniform counts');
  void CK;
}

// ---------------------------------------------------------------------------------------------
console.log('# the state image keeps its values from frame to frame');
{
  // A program that writes every step n/255 and some fractions; what the next frame reads must
  // be exactly what was written, and every n/255 must decode back to n.
  const CK = await canvasKit();
  const probe = new Game(CK, {
    width: 640, height: 347,
    bufferFile: writeTemp('probe_buffer.sksl', `
uniform float2 iResolution; uniform float iTime; uniform float iTimeDelta; uniform int iFrame;
uniform float3 iMouse; uniform int ivkLeftPressing; uniform int ivkRightPressing;
uniform int ivkSpacePressing; uniform shader iChannel0;
half4 main(float2 p) {
    float i = floor(p.x) + 14.0 * floor(p.y);
    if (iFrame == 0) return half4(half(i / 255.0), half(fract(i * 0.1373)), half((195.0 - i) / 255.0), 1.0);
    return half4(iChannel0.eval(p));
}`),
  });
  probe.step();
  const first = probe.raw().slice();
  let okDecode = true;
  for (let i = 0; i < STATE_SIZE * STATE_SIZE; i++) {
    if (Math.floor(first[i * 4] * 255 + 0.5) !== i) okDecode = false;
    if (i <= 195 && Math.floor(first[i * 4 + 2] * 255 + 0.5) !== 195 - i) okDecode = false;
    if (first[i * 4 + 3] !== 1) okDecode = false;
  }
  check(okDecode, 'every n/255 written decodes back to n, alpha stays 1');
  let worst = 0;
  for (let i = 0; i < STATE_SIZE * STATE_SIZE; i++) worst = Math.max(worst, Math.abs(first[i * 4 + 1] - ((i * 0.1373) % 1)));
  check(worst < 1 / 1024, 'fractions are kept to half-float precision', `worst error ${worst}`);
  probe.step();
  probe.step();
  const later = probe.raw();
  check(first.every((v, i) => v === later[i]), 'values survive two round trips unchanged');
  check(first.every((v, i) => v === probe.roundTrip()[i]), 'an image shader with nearest/clamp reads them unchanged');
}

// ---------------------------------------------------------------------------------------------
console.log('# a new game');
{
  const s = fresh();
  check(s.valid && !s.over && !s.blinking, 'the first frame starts a game');
  check(s.kind >= 1 && s.kind <= 7 && s.next >= 1 && s.next <= 7, 'a piece and a next piece', `${s.kind} ${s.next}`);
  check(sameList(sorted(s.shape), shapeIndices(s.kind, 0)), 'the stored cells are the entry orientation', `${s.shape}`);
  check(sameList(sorted(s.nextShape), shapeIndices(s.next, 0)), 'the stored next cells are its entry orientation');
  check(topCell(s) === 0 && s.rot === 0, 'the piece appears in the top row', `top ${topCell(s)}`);
  check(minCol(s) >= 3 && maxCol(s) <= 6, 'the piece enters in the middle columns');
  check(sameBoard(s.board, emptyBoard()) && s.score === 0 && s.lines === 0 && s.level === 0, 'an empty board and zero counters');
  check(s.ghostY === dropRow(s.board, s.kind, s.rot, s.x, s.y), 'the landing row is where the piece would drop');
  let onGrid = true;
  for (let i = 0; i < s.raw.length; i++) {
    const v = s.raw[i];
    if (i % 4 === 3 ? v !== 1 : v < 0 || v > 1) onGrid = false;
  }
  check(onGrid, 'every state value is within [0, 1] and alpha is 1');
  save('01_start.png', game.render());
}

// ---------------------------------------------------------------------------------------------
console.log('# gravity');
{
  const dt = 1 / 60;
  const s0 = fresh();
  const states = run(480, () => ({ dt }));
  const drops = [];
  let prevY = s0.y;
  let steady = true;
  const landed = states.findIndex((s) => s.y === s.ghostY);
  states.slice(0, landed + 1).forEach((s, i) => {
    if (s.kind !== s0.kind || s.x !== s0.x || s.rot !== 0) steady = false;
    if (s.y !== prevY) {
      if (s.y !== prevY + 1) steady = false;
      drops.push(i + 1); // frames since the first
    }
    prevY = s.y;
  });
  check(steady, 'the piece only falls, one row at a time');
  const expected = [];
  for (let k = 1; k <= s0.ghostY - s0.y; k++) expected.push(Math.round((k * FALL0) / dt));
  check(expected.length >= 10 && drops.length === expected.length && drops.every((f, k) => Math.abs(f - expected[k]) <= 1),
    `it falls one row every ${FALL0} s at level 0`, `drops at frames ${drops}, expected ${expected}`);

  // The same time at 30 frames a second gives the same rows.
  fresh();
  const half = run(75, () => ({ dt: 1 / 30 }));
  check(half[74].y === states[149].y, 'the fall speed does not depend on the frame rate', `${half[74].y} vs ${states[149].y}`);

  // On the ground the piece waits LOCK_DELAY, then locks.
  const groundAt = landed;
  const lockAt = states.findIndex((s) => s.kind !== s0.kind);
  const waited = (lockAt - groundAt) * dt;
  check(groundAt > 0 && lockAt > groundAt && Math.abs(waited - LOCK_DELAY) < 2.5 * dt,
    `a landed piece locks after ${LOCK_DELAY} s`, `${waited} s`);
}

console.log('# sliding on the ground');
{
  const dt = 1 / 60;
  let s = fresh();
  while (s.y !== s.ghostY) s = run(1, () => ({ dt }))[0];
  const kind = s.kind;
  const onGround = run(600, (i) => ({ dt, left: i % 8 === 0, right: i % 8 === 4 }));
  const lockAt = onGround.findIndex((t) => t.kind !== kind);
  const restarts = onGround.slice(0, Math.max(lockAt, 0)).filter((t, i) => i > 0 && t.lockT < onGround[i - 1].lockT).length;
  check(lockAt * dt > 2 * LOCK_DELAY, 'moves on the ground restart the lock delay', `locked after ${lockAt * dt} s`);
  check(lockAt > 0 && lockAt * dt < 16 * LOCK_DELAY && restarts <= 15, 'but only 15 times, so the piece still locks',
    `${restarts} restarts, locked after ${lockAt * dt} s`);
}

// ---------------------------------------------------------------------------------------------
console.log('# a long pause');
{
  fresh();
  const before = run(30, () => ({ dt: 1 / 60 }))[29];
  const after = run(1, () => ({ dt: 10 }))[0];
  check(after.y - before.y <= 1 && after.kind === before.kind, 'a 10 s frame moves the piece at most one row', `${before.y} -> ${after.y}`);
  const more = run(40, () => ({ dt: 10 }));
  let ok = true;
  let prev = after;
  for (const s of more) {
    if (s.kind === prev.kind && prev.kind > 0 && s.y - prev.y > 1) ok = false;
    prev = s;
  }
  check(ok, 'a run of 10 s frames still moves one row per frame');
}

// ---------------------------------------------------------------------------------------------
console.log('# arrows');
for (const dir of ['left', 'right']) {
  const dt = 1 / 60;
  const s0 = fresh();
  run(4, () => ({ dt }));
  const held = run(150, () => ({ dt, [dir]: true }));
  const moves = [];
  let prevX = s0.x;
  let single = true;
  held.forEach((s, i) => {
    if (s.x !== prevX) {
      if (Math.abs(s.x - prevX) !== 1) single = false;
      moves.push(i);
    }
    prevX = s.x;
  });
  const wall = dir === 'left' ? minCol(held[149]) === 0 : maxCol(held[149]) === 9;
  check(single && moves[0] === 0, `${dir}: the piece moves one column on the press frame`, `moves at ${moves}`);
  const firstRepeat = moves[1] * dt;
  check(moves.length >= 2 && firstRepeat > 0.16 && firstRepeat < 0.2, `${dir}: it repeats after about 0.17 s`, `${firstRepeat}`);
  const gaps = moves.slice(2).map((f, i) => (f - moves[i + 1]) * dt);
  check(gaps.length >= 1 && gaps.every((g) => g > 0.08 && g < 0.12), `${dir}: then every 0.1 s`, `${gaps}`);
  const inside = held.every((s) => s.kind === 0 || (minCol(s) >= 0 && maxCol(s) <= 9));
  check(wall && inside, `${dir}: holding it reaches the wall and goes no further`);
  const released = run(30, () => ({ dt }));
  check(released.every((s) => s.x === held[149].x), `${dir}: nothing moves after the release`);
}

// ---------------------------------------------------------------------------------------------
console.log('# mouse');
{
  const s0 = fresh();
  const [cx, cy] = boardCentre;
  const r1 = run(2, (i) => (i === 0 ? { mouse: [cx, cy] } : {}));
  check(r1[0].rot === 1 && sameList(sorted(r1[0].shape), shapeIndices(s0.kind, 1)) && r1[0].x === s0.x,
    'a click on the board turns the piece clockwise', `rot ${r1[0].rot} shape ${r1[0].shape}`);
  check(r1[1].rot === 1, 'the click turns it once');
  const r2 = run(6, (i) => (i % 2 === 0 ? { mouse: [cx, cy + 20] } : {}));
  check(r2[5].rot === 0, 'four clicks turn it all the way round');
  const x0 = r2[5].x;
  const r3 = run(1, () => ({ mouse: [layout.ox - 0.5 * layout.cs, cy] }))[0];
  check(r3.x === x0 - 1 && r3.rot === 0, 'a click left of the board moves it one column left');
  const r4 = run(1, () => ({ mouse: [layout.ox + layout.width + 3 * layout.cs, 10] }))[0];
  check(r4.x === x0 && r4.rot === 0, 'a click right of the board moves it one column right');

  // Against the wall a turn that collides is shifted back onto the board.
  let kickOk = true;
  let tried = 0;
  let s = run(1, () => ({ space: true }))[0];
  for (let attempt = 0; attempt < 12 && tried < 4; attempt++) {
    if (attempt > 0) s = run(1, () => ({ space: true }))[0]; // a new game, another first piece
    if (s.kind === 2) continue; // the square needs no kick
    run(1, () => ({ mouse: [cx, cy] }));
    const atWall = run(90, () => ({ left: true }))[89];
    const turned = run(1, () => ({ mouse: [cx, cy] }))[0];
    tried++;
    const expectRot = (atWall.rot + 1) % 4;
    const cells = pieceCells(turned);
    if (turned.rot !== expectRot || cells.some(([bx]) => bx < 0 || bx > 9) ||
        !sameList(sorted(turned.shape), shapeIndices(turned.kind, expectRot))) kickOk = false;
  }
  check(tried > 0 && kickOk, 'a turn against the left wall kicks the piece back inside');
}

// ---------------------------------------------------------------------------------------------
// A simple player: for each new piece picks the rotation and column that leave the flattest
// board, turns it with clicks and taps the arrows to get there, then lets it fall.
function choosePlacement(board, kind) {
  let best = null;
  for (let rot = 0; rot < 4; rot++) {
    for (let x = -3; x < 10; x++) {
      const spawnY = -Math.min(...cellsOf(kind, 0).map((c) => c[1]));
      if (!fits(board, kind, rot, x, spawnY)) continue;
      const y = dropRow(board, kind, rot, x, spawnY);
      const { cleared, full } = lockInto(board, kind, rot, x, y);
      let holes = 0, agg = 0, bump = 0, prevH = null;
      for (let c = 0; c < 10; c++) {
        let top = 14;
        for (let r = 0; r < 14; r++) if (cleared[r][c]) { top = r; break; }
        const h = 14 - top;
        agg += h;
        for (let r = top + 1; r < 14; r++) if (!cleared[r][c]) holes++;
        if (prevH !== null) bump += Math.abs(h - prevH);
        prevH = h;
      }
      const score = 0.76 * full.length - 0.51 * agg - 0.36 * holes - 0.18 * bump;
      if (!best || score > best.score) best = { rot, x, score };
    }
  }
  return best;
}

function makePlayer(g) {
  let plan = null;
  let pieceCount = 0;
  let lastKind = 0;
  return {
    input(i, s) {
      if (!s || s.kind === 0 || s.over) {
        lastKind = 0;
        return {};
      }
      if (lastKind === 0) {
        plan = choosePlacement(s.board, s.kind);
        pieceCount++;
      }
      lastKind = s.kind;
      if (!plan || i % 2 === 1) return {}; // keys and clicks on every other frame: press, release
      if (s.rot !== plan.rot) return { mouse: [boardCentre[0], boardCentre[1]] };
      if (s.x > plan.x) return { left: true };
      if (s.x < plan.x) return { right: true };
      return {};
    },
    get pieces() { return pieceCount; },
  };
  void g;
}

console.log('# playing: locking, clearing rows, scoring');
let midgameFrame = null;
{
  const dt = 0.1;
  let s = fresh();
  const player = makePlayer(game);
  const spawned = [s.kind];
  let expectNext = s.next;
  let lockChecks = 0, lockOk = true, nextOk = true, clearChecks = 0, clearOk = true, scoreOk = true;
  let shownOk = true;
  let pending = null; // the rows expected to vanish
  let blinkFrames = 0;
  let blinkShot = false;
  let frame = 0;
  let pieceStill = true;
  for (; frame < 6000 && !s.over; frame++) {
    const prev = s;
    s = run(1, () => ({ dt, ...player.input(frame, prev) }))[0];
    if (prev.kind > 0 && s.kind > 0 && s.kind !== prev.kind) pieceStill = false;
    if (shownOk && !sameBoard(s.shown, expectedShown(s))) {
      shownOk = false;
      console.log(`        shown cells differ at frame ${frame}`);
    }
    if (s.kind > 0 && s.ghostY !== dropRow(s.board, s.kind, s.rot, s.x, s.y)) shownOk = false;
    if (prev.kind > 0 && s.kind === 0) {
      // Locked this frame: the board is the old one plus the piece where it rested.
      lockChecks++;
      const exp = lockInto(prev.board, prev.kind, prev.rot, prev.x, prev.y);
      if (!sameBoard(s.board, exp.locked)) {
        lockOk = false;
        console.log(`        lock mismatch at frame ${frame}\n${boardText(s.board)}\nexpected\n${boardText(exp.locked)}`);
      }
      const flagged = s.blinkRows.map((f, y) => (f ? y : -1)).filter((y) => y >= 0);
      if (exp.full.length > 0) {
        const pts = [0, 40, 100, 300, 1200][exp.full.length] * (prev.level + 1);
        if (!s.blinking || !sameList(flagged, exp.full)) clearOk = false;
        if (s.score !== prev.score + pts || s.lines !== prev.lines + exp.full.length ||
            s.level !== Math.floor(s.lines / 10)) scoreOk = false;
        pending = { board: exp.cleared, frame };
      } else if (s.blinking || flagged.length || s.score !== prev.score) {
        clearOk = false;
      }
    }
    if (s.blinking) {
      blinkFrames++;
      if (!blinkShot && blinkFrames === 2) {
        blinkShot = true;
        save('04_clear.png', game.render());
      }
      if (s.kind !== 0) clearOk = false; // nothing falls while rows blink
    }
    if (pending && !s.blinking) {
      clearChecks++;
      const took = (frame - pending.frame) * dt;
      if (!sameBoard(s.board, pending.board) || s.blinkRows.some((f) => f)) {
        clearOk = false;
        console.log(`        clear mismatch at frame ${frame}\n${boardText(s.board)}\nexpected\n${boardText(pending.board)}`);
      }
      if (took < 0.25 || took > 0.45) {
        clearOk = false;
        console.log(`        rows blinked for ${took} s`);
      }
      pending = null;
    }
    if (prev.kind === 0 && s.kind > 0) {
      spawned.push(s.kind);
      if (s.kind !== expectNext) nextOk = false;
      if (topCell(s) !== 0 || s.rot !== 0) nextOk = false;
    }
    if (s.kind > 0) expectNext = s.next;
    if (s.lines >= 6 && !midgameFrame && s.kind > 0) {
      midgameFrame = frame;
      save('03_midgame.png', game.render());
    }
    if (s.lines >= 12) break;
  }
  console.log(`        played ${frame} frames, ${player.pieces} pieces, ${s.lines} lines, score ${s.score}`);
  check(lockChecks >= 10 && lockOk, 'a landed piece locks into the board where it rested', `${lockChecks} locks`);
  check(pieceStill, 'a piece keeps its kind until it locks');
  check(shownOk, 'the cells to show hold the falling piece and its landing outline over the board');
  check(nextOk, 'each new piece is the one shown as next, entering at the top');
  check(clearChecks >= 1 && clearOk, 'full rows blink for about 0.3 s, then vanish and the rows above drop', `${clearChecks} clears`);
  check(scoreOk && s.score > 0, 'score, lines and level follow 40/100/300/1200 x (level + 1)', `score ${s.score}`);
  check(s.lines >= 12 && s.level >= 1, 'the level rises after 10 lines', `lines ${s.lines} level ${s.level}`);
  // The seven-bag: every run of seven pieces from the start holds each kind once.
  let bagOk = spawned.length >= 14;
  for (let b = 0; b + 7 <= spawned.length; b += 7) {
    if (!sameList(sorted(spawned.slice(b, b + 7)), [1, 2, 3, 4, 5, 6, 7])) bagOk = false;
  }
  check(bagOk, 'pieces come in shuffled sets of all seven', spawned.join(''));
  // Gravity at this level: the frames between two drops of a free-falling piece.
  let last = s;
  while (last.kind === 0 && !last.over) last = run(1, () => ({ dt: 1 / 60 }))[0];
  const ys = run(150, () => ({ dt: 1 / 60 })).map((t) => t.y);
  const dropAt = ys.map((y, i) => (i > 0 && y !== ys[i - 1] ? i : -1)).filter((i) => i >= 0);
  const gap = dropAt.length >= 2 ? dropAt[1] - dropAt[0] : 0;
  const want = Math.round((FALL0 * FALL_FACTOR ** s.level) * 60);
  check(Math.abs(gap - want) <= 1 && gap < FALL0 * 60 - 1, `gravity at level ${s.level} is one row per ${want} frames, faster than level 0`, `${gap} frames`);
  const best = run(1, () => ({ space: true }))[0];
  check(best.best === s.score && best.score === 0, 'a new game keeps the best score and starts from zero', `best ${best.best}`);
}

// ---------------------------------------------------------------------------------------------
console.log('# the end of a game');
{
  fresh();
  let s = run(1, () => ({ dt: 0.1 }))[0];
  let frames = 0;
  // First a few pieces, then space mid-game.
  while (s.board.flat().filter((c) => c).length < 8 && frames < 2000) {
    s = run(1, () => ({ dt: 0.1 }))[0];
    frames++;
  }
  const mid = run(1, () => ({ dt: 0.1, space: true }))[0];
  check(sameBoard(mid.board, emptyBoard()) && !mid.over && mid.kind > 0 && topCell(mid) === 0,
    'space mid-game starts again with an empty board');
  s = mid;
  frames = 0;
  while (!s.over && frames < 4000) {
    s = run(1, () => ({ dt: 0.1 }))[0];
    frames++;
  }
  check(s.over, 'pieces stacked to the top end the game', `${frames} frames`);
  check(s.board[0].some((c) => c) || s.board[1].some((c) => c), 'the stack reaches the top rows');
  const still = run(30, (i) => ({ dt: 0.1, left: i % 2 === 0, mouse: i === 3 ? boardCentre : undefined }));
  check(still.every((t) => t.over && sameBoard(t.board, s.board) && t.kind === 0), 'after the end nothing moves');
  const shot = game.render();
  save('05_gameover.png', shot);
  check(hasRedText(shot), 'the picture shows the red GAME OVER line');
  const again = run(1, () => ({ dt: 0.1, space: true }))[0];
  check(!again.over && sameBoard(again.board, emptyBoard()) && again.score === 0 && again.lines === 0 &&
    again.kind > 0 && topCell(again) === 0, 'space starts a new game with an empty board');
}

function hasRedText(frame) {
  const { pixels, width } = frame;
  let red = 0;
  for (let y = layout.oy; y < layout.oy + layout.height; y++) {
    for (let x = layout.ox; x < layout.ox + layout.width; x++) {
      const i = (y * width + x) * 4;
      if (pixels[i] > 200 && pixels[i + 1] < 120 && pixels[i + 2] < 120) red++;
    }
  }
  return red > 100;
}

// ---------------------------------------------------------------------------------------------
console.log('# the picture shows the state where the clicks land');
{
  // Reach a board with locked tiles, then compare each cell centre's colour with the state.
  fresh();
  const player = makePlayer(game);
  let s = game.lastState;
  for (let f = 0; f < 800 || s.blinking || s.kind === 0; f++) s = run(1, () => player.input(f, s))[0];
  for (const [w, h, name] of [[640, 347, '06_cells_640x347.png'], [1280, 720, '07_1280x720.png'],
    [420, 600, '08_420x600.png'], [320, 180, '09_320x180.png']]) {
    const frame = game.render(w, h);
    save(name, frame);
    const L = boardLayout(w, h);
    let wrong = [];
    const piece = s.kind ? pieceCells(s).map(([x, y]) => `${x},${y}`) : [];
    for (let by = 0; by < 14; by++) {
      for (let bx = 0; bx < 10; bx++) {
        const k = piece.includes(`${bx},${by}`) ? s.kind : s.board[by][bx];
        const [sx, sy] = boardToScreen(L, bx, by).map(Math.floor);
        const i = (sy * w + sx) * 4;
        const rgb = [frame.pixels[i], frame.pixels[i + 1], frame.pixels[i + 2]];
        if (!colourMatches(k, rgb) && !(k === 0 && isGhost(s, bx, by))) wrong.push(`${bx},${by}:${k}:${rgb}`);
      }
    }
    check(wrong.length === 0, `at ${w}x${h} each cell's tile has its piece's colour, empty cells are dark`, wrong.slice(0, 5).join(' '));
  }
}

function isGhost(s, bx, by) {
  return s.kind > 0 && s.shape.some((c) => s.x + (c % 4) === bx && s.ghostY + Math.floor(c / 4) === by);
}

// The tile colours by piece: I cyan, O yellow, T purple, S green, Z red, J blue, L orange.
function colourMatches(kind, [r, g, b]) {
  const hi = 140, lo = 110;
  switch (kind) {
    case 0: return Math.max(r, g, b) < 60;
    case 1: return r < lo && g > hi && b > hi;
    case 2: return r > hi && g > hi && b < lo;
    case 3: return r > hi && g < lo && b > hi;
    case 4: return g > hi && r < lo && b < lo;
    case 5: return r > hi && g < lo && b < lo;
    case 6: return b > hi && r < lo && g < lo + 20;
    case 7: return r > hi && g > 90 && g < 170 && b < lo;
    default: return false;
  }
}

// ---------------------------------------------------------------------------------------------
console.log('# the same input gives the same frames');
{
  const script = (i) => ({
    dt: 1 / 60 + (i % 3) * 0.004,
    left: i >= 20 && i < 45,
    right: i >= 200 && i < 215,
    mouse: i === 60 || i === 90 ? boardCentre : i === 130 ? [5, 5] : undefined,
    space: i === 400,
  });
  const take = () => {
    fresh();
    const raws = [];
    const shots = [];
    for (let i = 0; i < 520; i++) {
      const s = run(1, () => script(i))[0];
      raws.push(Buffer.from(s.raw.buffer.slice(0)));
      if (i % 130 === 129) shots.push(Buffer.from(game.render().pixels));
    }
    return { raws, shots };
  };
  const a = take();
  const b = take();
  check(a.raws.every((r, i) => r.equals(b.raws[i])), 'the state of every frame is the same twice');
  check(a.shots.every((r, i) => r.equals(b.shots[i])), 'the rendered frames are the same twice');
  save('02_playing.png', game.render());
}

console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);

function writeTemp(name, text) {
  const dir = fs.mkdtempSync('/tmp/tilefall-');
  const file = path.join(dir, name);
  fs.writeFileSync(file, text);
  return file;
}
