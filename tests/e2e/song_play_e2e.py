#!/usr/bin/env python3
"""tobuna-song play as a musician uses it, recorded through SDL's disk audio
driver: the same samples as render, reloads on save, keys on a terminal.

Usage: song_play_e2e.py CASE PATH-TO-TOBUNA-SONG   (CASE: record, watch, keys)
"""
import fcntl
import os
import pty
import select
import signal
import struct
import subprocess
import sys
import tempfile
import termios
import time

STEP = 5292          # frames a step at tempo 125
FRAME = 4            # bytes of a 16-bit stereo frame

# One voice, one short note a step: every step sounds the same block, and
# the note ends within it, so each step of a recording tells which song
# played it.
NOTE_SONG = "bpm:125\ni1:sini,10,0,3000,10,0\np1:%s\nt1:p1,loop\n"


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def write_atomically(path, text):
    with open(path + ".new", "w") as f:
        f.write(text)
    os.replace(path + ".new", path)


def render(tool, song, out, seconds, *options):
    subprocess.run([tool, "render", song, out, "--seconds", str(seconds)] + list(options),
                   check=True)
    with open(out, "rb") as f:
        little = f.read()[44:]
    big = bytearray(len(little))   # the device's format is big-endian
    big[0::2] = little[1::2]
    big[1::2] = little[0::2]
    return bytes(big)


def first_sound(data):
    """Byte offset of the first frame that is not silent."""
    for i, b in enumerate(data):
        if b:
            return i - i % FRAME
    return None


def aligned(recording, reference):
    """The recording from the frame that matches the reference's start."""
    r, s = first_sound(recording), first_sound(reference)
    if r is None or s is None or r < s:
        fail("the recording holds no sound (%s, %s)" % (r, s))
    return recording[r - s:]


def audio_env(tmp):
    env = dict(os.environ, SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=os.path.join(tmp, "audio.raw"))
    env.pop("SDL_DISKAUDIODELAY", None)
    return env


def stop(process, seconds=5):
    process.send_signal(signal.SIGTERM)
    try:
        return process.wait(seconds)
    except subprocess.TimeoutExpired:
        process.kill()
        fail("play did not end on SIGTERM")


def case_record(tool, tmp):
    """play records what render writes for the same seed, row and transposition."""
    for options in (["--seed", "7"], ["--seed", "11", "--row", "17", "--transpose", "-8"]):
        song = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "data", "hiiri.txt")
        want = render(tool, song, os.path.join(tmp, "want.wav"), 3, *options)
        p = subprocess.Popen([tool, "play", song] + options, env=audio_env(tmp),
                             stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        time.sleep(2.5)
        status = stop(p)
        out = p.stdout.read().decode()
        if status != 0:
            fail("play %s: status %d: %s" % (options, status, p.stderr.read().decode()))
        with open(os.path.join(tmp, "audio.raw"), "rb") as f:
            got = aligned(f.read(), want)
        n = min(len(got), len(want))
        if n < 44100 * FRAME:
            fail("play %s recorded only %d frames" % (options, n // FRAME))
        if got[:n] != want[:n]:
            diff = next(i for i in range(n) if got[i] != want[i])
            fail("play %s differs from render at frame %d" % (options, diff // FRAME))
        # Not a terminal: one status line a bar, from the first.
        lines = out.splitlines()
        if len(lines) < 2 or not lines[0].startswith("step      0  bar     1.01"):
            fail("status lines: %r" % lines[:3])
        if not lines[1].startswith("step     16  bar     2.01"):
            fail("second status line is not bar 2: %r" % lines[1])
        if " 13:p130 " not in lines[1]:
            fail("status does not show voice 13's pattern: %r" % lines[1])
        print("play %s: %d frames as render wrote them" % (" ".join(options), n // FRAME))


def case_watch(tool, tmp):
    """Saves are heard from a step boundary; broken saves keep the song before."""
    song = os.path.join(tmp, "song.txt")
    blocks = {}
    for note in ("c4", "g4", "e4"):
        write_atomically(song, NOTE_SONG % note)
        blocks[note] = render(tool, song, os.path.join(tmp, note + ".wav"), STEP / 44100.0, "--seed", "1")
        if len(blocks[note]) != STEP * FRAME:
            fail("a step renders as %d bytes" % len(blocks[note]))
    write_atomically(song, NOTE_SONG % "c4")
    p = subprocess.Popen([tool, "play", song, "--watch", "--seed", "1"], env=audio_env(tmp),
                         stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    time.sleep(1.2)
    write_atomically(song, NOTE_SONG % "g4")
    time.sleep(1.2)
    write_atomically(song, (NOTE_SONG % "c4").replace("bpm", "bpx"))  # the tempo line broken
    time.sleep(0.8)
    os.remove(song)
    time.sleep(0.8)
    with open(song, "w") as f:   # written in place, not renamed
        f.write(NOTE_SONG % "e4")
    time.sleep(1.2)
    status = stop(p)
    err = p.stderr.read().decode()
    if status != 0:
        fail("status %d: %s" % (status, err))

    with open(os.path.join(tmp, "audio.raw"), "rb") as f:
        got = aligned(f.read(), blocks["c4"])
    order = []
    for k in range(len(got) // (STEP * FRAME) - 1):  # the last step may be cut short
        block = got[k * STEP * FRAME:(k + 1) * STEP * FRAME]
        names = [n for n, b in blocks.items() if b == block]
        if not names:
            fail("step %d is none of the songs' steps: a reload did not wait for a boundary" % k)
        if not order or order[-1][0] != names[0]:
            order.append([names[0], 0])
        order[-1][1] += 1
    print("steps heard:", ", ".join("%s x%d" % (n, c) for n, c in order))
    if [n for n, _ in order] != ["c4", "g4", "e4"] or min(c for _, c in order) < 3:
        fail("the songs did not follow each other c4, g4, e4: %s" % order)

    for want in ("%s reloaded, playing on from step" % song,
                 "%s has no tempo or no track to play" % song,
                 "%s:0: no tempo line" % song,
                 "cannot open %s: No such file or directory" % song,
                 "%s: the song before plays on" % song):
        if want not in err:
            fail("no %r in: %s" % (want, err))
    if err.count("reloaded, playing on") != 2:
        fail("not two reloads: %s" % err)
    print("messages:\n" + err)


class Terminal:
    """The player on a pseudo-terminal: keys in, status lines out."""

    def __init__(self, tool, args, env):
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            os.execve(tool, [tool, "play"] + args, env)
        # Wide enough for the whole status line of thirteen voices.
        fcntl.ioctl(self.fd, termios.TIOCSWINSZ, struct.pack("HHHH", 40, 250, 0, 0))
        self.output = b""

    def read(self, seconds):
        end = time.time() + seconds
        while time.time() < end:
            ready, _, _ = select.select([self.fd], [], [], 0.05)
            if ready:
                try:
                    chunk = os.read(self.fd, 4096)
                except OSError:
                    return
                if not chunk:
                    return
                self.output += chunk

    def last_status(self):
        """The newest whole status line drawn in place."""
        parts = [p for p in self.output.split(b"\r") if p.startswith(b"step")]
        if len(parts) < 2:
            return ""
        return parts[-2].split(b"\x1b")[0].decode(errors="replace")

    def key(self, text, settle=0.4):
        os.write(self.fd, text.encode())
        self.read(settle)
        return self.last_status()

    def status_of_exit(self, seconds):
        end = time.time() + seconds
        while time.time() < end:
            self.read(0.05)
            pid, status = os.waitpid(self.pid, os.WNOHANG)
            if pid:
                return os.waitstatus_to_exitcode(status)
        return None


def step_of(status):
    return int(status.split()[1])


def voices_of(status):
    """Voice number to the note (or mute, end, -) a status line shows."""
    voices = {}
    tokens = status.split("|", 1)[1].split()
    for i, token in enumerate(tokens):
        number, _, rest = token.partition(":")
        if number.isdigit():
            voices[int(number)] = tokens[i + 1] if rest.startswith("p") else rest
    return voices


def case_keys(tool, tmp):
    """Space pauses, digits, + and t change the arrangement, r restarts, q and Escape quit."""
    song = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "data", "hiiri.txt")
    t = Terminal(tool, [song, "--seed", "3"], audio_env(tmp))
    t.read(1.0)
    s = t.last_status()
    if not s.startswith("step") or "row all" not in s or "transpose +0" not in s:
        fail("no status line: %r" % t.output[-300:])
    s = t.key(" ")
    if "paused" not in s:
        fail("space did not pause: %r" % s)
    paused_at = step_of(s)
    s = t.key("", 0.6)
    if step_of(s) != paused_at:
        fail("the song went on while paused: %d, then %r" % (paused_at, s))
    s = t.key(" ", 0.6)
    if "paused" in s or step_of(s) <= paused_at:
        fail("space did not resume: %r" % s)
    s = t.key("5")
    if "row 5 " not in s:
        fail("5 did not choose row 5: %r" % s)
    muted = sorted(v for v, note in voices_of(s).items() if note == "mute")
    if muted != [1, 2, 3, 4, 5, 6, 9, 12]:
        fail("row 5 mutes voices %s: %r" % (muted, s))
    s = t.key("+")
    if "row 6 " not in s:
        fail("+ did not move on to row 6: %r" % s)
    s = t.key("t")
    if "transpose +4" not in s:
        fail("t did not transpose by 4: %r" % s)
    s = t.key("t")
    if "transpose -4" not in s:
        fail("a second t did not transpose by -4: %r" % s)
    before = step_of(s)
    s = t.key("r", 0.3)
    if step_of(s) >= before or step_of(s) > 4:
        fail("r did not restart: step %d, then %r" % (before, s))
    s = t.key("\x1b[A", 0.3)   # an arrow key: ignored
    if os.waitpid(t.pid, os.WNOHANG)[0]:
        fail("an arrow key ended the player")
    os.write(t.fd, b"q")
    status = t.status_of_exit(3)
    if status != 0:
        fail("q: status %s" % status)

    t = Terminal(tool, [song, "--seed", "3", "--row", "2", "--transpose", "-8", "--from", "64"],
                 audio_env(tmp))
    t.read(0.8)
    s = t.last_status()
    if "row 2 " not in s or "transpose -8" not in s or not 64 <= step_of(s) < 80:
        fail("--row, --transpose, --from: %r" % s)
    os.write(t.fd, b"\x1b")
    status = t.status_of_exit(3)
    if status != 0:
        fail("Escape: status %s" % status)
    with open(os.path.join(tmp, "audio.raw"), "rb") as f:
        if not any(f.read()):
            fail("nothing was heard")
    print("keys: ok")


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        sys.exit(2)
    case, tool = sys.argv[1], os.path.abspath(sys.argv[2])
    cases = {"record": case_record, "watch": case_watch, "keys": case_keys}
    with tempfile.TemporaryDirectory() as tmp:
        cases[case](tool, tmp)
    print("ok: " + case)


if __name__ == "__main__":
    main()
