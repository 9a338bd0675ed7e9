// How close the browser's arithmetic comes to the saver's: runs the page's module under Node
// (vellumir-frame-dumps.js) for the five modes, three seeds and frames 1 to 1000 at 30 rows, and
// holds every stored float of every frame against the native extended evaluation's dump of the
// same frame (vellumir-frame-dumps --exact, whose last frame is checked to be the very dump of
// `vellumir-render --exact`). Prints the floats that differ per million, and where they lie.
//
//   node web/measure_exactness.mjs [native build folder] [web build folder]
import {execFileSync} from 'node:child_process';
import {mkdtempSync, readFileSync, rmSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {join} from 'node:path';

const [native = 'build/native', web = 'build/web'] = process.argv.slice(2);
const seeds = [1, 4242, 4000000000], modes = [1, 2, 3, 4, 5], frames = 1000;
// The dump: magic and five words, eight floats (phases, drifts, offsets), seven node arrays.
const header = 8 + 5 * 4;
const scalars = ['PhaseA', 'PhaseB', 'PhaseC', 'DriftA', 'DriftB', 'DriftC', 'OffsetX', 'OffsetY'];
const arrays = ['GridX', 'GridY', 'Jitter', 'ChannelR', 'ChannelG', 'ChannelB', 'Relief'];

const scratch = mkdtempSync(join(tmpdir(), 'vellumir-exactness-'));
let compared = 0, differing = 0;
const where = new Map(), examples = [];
try {
  for (const mode of modes) {
    for (const seed of seeds) {
      const options = ['--rows', '30', '--seed', String(seed), '--mode', String(mode), '--frames', String(frames)];
      const dumps = (name, command, ...first) => {
        const path = join(scratch, name);
        execFileSync(command, [...first, ...options, '--dump', path]);
        return readFileSync(path);
      };
      const got = dumps('web', 'node', join(web, 'vellumir-frame-dumps.js'));
      const want = dumps('exact', join(native, 'vellumir-frame-dumps'), '--exact');
      const last = dumps('tool', join(native, 'vellumir-render'), '--exact');
      const size = last.length;
      if (got.length !== want.length || !want.subarray(want.length - size).equals(last))
        throw new Error(`mode ${mode} seed ${seed}: the dumps do not line up with vellumir-render's`);
      const nodes = (size - header - 8 * 4) / 4 / arrays.length;
      for (let offset = 0; offset < got.length; offset += 4) {
        const word = (offset % size - header) / 4;
        if (word < 0) continue;
        ++compared;
        if (got.readUInt32LE(offset) === want.readUInt32LE(offset)) continue;
        ++differing;
        const key = `mode ${mode} ${word < 8 ? scalars[word] : arrays[Math.floor((word - 8) / nodes)]}`;
        where.set(key, (where.get(key) || 0) + 1);
        if (examples.length < 10)
          examples.push(`${key}, seed ${seed}, frame ${Math.floor(offset / size) + 1}, word ${word}: ` +
                        `${got.readFloatLE(offset)} instead of ${want.readFloatLE(offset)}`);
      }
    }
  }
} finally {
  rmSync(scratch, {recursive: true, force: true});
}
console.log(`${differing} of ${compared} floats differ: ${(differing / compared * 1e6).toFixed(3)} per million`);
for (const [key, count] of where) console.log(`  ${key}: ${count}`);
for (const example of examples) console.log(`  ${example}`);
