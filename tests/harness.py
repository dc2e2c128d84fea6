"""What every Python test harness here needs: checks with one summary, waiting for a condition
with a deadline, helper processes in process groups of their own that a later run can still
stop, a private X display, and commands whose output goes through files.

A harness imports it after putting this folder on sys.path:
    sys.path.insert(0, str(pathlib.Path(__file__).parents[N]))
    import harness"""

import os
import pathlib
import signal
import subprocess
import tempfile
import time

failures = []


def check(condition, message):
    """Records a failed check; every check is printed, so a log shows what was looked at."""
    print("ok:  " if condition else "FAIL:", message, flush=True)
    if not condition:
        failures.append(message)
    return condition


def summary():
    """Prints the failed checks, or "passed"; gives the exit status."""
    print("FAILED:" if failures else "passed", *failures, sep="\n  ", flush=True)
    return 1 if failures else 0


def wait_for(probe, seconds=15, interval=0.02, what=None):
    """Polls probe until it returns something true or the time is up, and gives its last answer.
    With `what`, running out of time is printed, naming the condition that did not come."""
    deadline = time.monotonic() + seconds
    while True:
        result = probe()
        if result:
            return result
        if time.monotonic() > deadline:
            if what:
                print(f"timed out after {seconds} s waiting for {what}", flush=True)
            return result
        time.sleep(interval)


def output(*command, env=None, timeout=30):
    """A command's standard output, or "" when it fails or does not finish in time."""
    try:
        done = run(command, env=env, timeout=timeout)
    except subprocess.TimeoutExpired:
        return ""
    return done.stdout if done.returncode == 0 else ""


def run(command, env=None, timeout=60, check_status=False):
    """Runs a command to its end with its output going through files, not pipes: Wine's services
    and other daemons a command starts inherit its output and would hold a pipe open long after
    the command itself has ended. Gives a CompletedProcess with text output."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        process = start(list(map(str, command)), env=env, stdout=out, stderr=err)
        try:
            status = process.wait(timeout)
        except subprocess.TimeoutExpired:
            stop(process)
            raise
        _forget(process.pid)
        out.seek(0)
        err.seek(0)
        done = subprocess.CompletedProcess(command, status, out.read().decode(errors="replace"),
                                           err.read().decode(errors="replace"))
    if check_status and status != 0:
        raise RuntimeError(f"{' '.join(map(str, command))} failed ({status}):\n{done.stdout}{done.stderr}")
    return done


def start(command, **kwargs):
    """Starts a command in a process group of its own, so that stopping it stops what it spawned;
    the group is noted, so that a later run can stop it if this one is killed first."""
    kwargs.setdefault("stdin", subprocess.DEVNULL)
    process = subprocess.Popen(list(map(str, command)), start_new_session=True, **kwargs)
    if _groups:
        # As the kernel names a process: its program's file name, cut to 15 bytes.
        with _groups.open("a") as groups:
            groups.write(f"{process.pid}:{pathlib.Path(str(command[0])).name[:15]}\n")
    return process


def stop(process, seconds=5):
    if process.poll() is None:
        try:
            os.killpg(process.pid, signal.SIGTERM)
            process.wait(seconds)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
        except ProcessLookupError:
            process.wait()
    _forget(process.pid)


# The file naming the process groups this run has started, once claim_leftovers has been called.
_groups = None


def claim_leftovers(name):
    """Ends what an earlier run of the harness `name` left running, and notes this run's process
    groups from now on. CTest kills a harness that runs out of time without letting it clean up;
    a group is ended only while its leader is still the program that was started. The list is kept
    in the working directory, which CTest makes the test's build folder, so runs in other build
    folders are left alone."""
    global _groups
    _groups = pathlib.Path.cwd() / f".{name}.groups"
    for line in _groups.read_text().split() if _groups.exists() else ():
        pid, _, command = line.partition(":")
        try:
            if _command_of(int(pid)) == command and os.getpgid(int(pid)) == int(pid):
                print(f"stopping process group {pid} ({command}) left by an earlier run", flush=True)
                os.killpg(int(pid), signal.SIGKILL)
        except ProcessLookupError:
            pass
    _groups.write_text("")


def _forget(pid):
    if _groups:
        kept = [line for line in _groups.read_text().split() if not line.startswith(f"{pid}:")]
        _groups.write_text("".join(line + "\n" for line in kept))


def _command_of(pid):
    try:
        return pathlib.Path(f"/proc/{pid}/comm").read_text().strip().replace(" ", "_")
    except OSError:
        return ""


def start_xvfb(helpers, size="1024x768x24"):
    """Starts an Xvfb on the first free display, appends it to helpers, and gives the display
    name (":N"), or None with Xvfb's own words printed."""
    read_end, write_end = os.pipe()
    log = tempfile.TemporaryFile()
    server = start(["Xvfb", "-displayfd", str(write_end), "-screen", "0", size, "-nolisten", "tcp"],
                   pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=log)
    os.close(write_end)
    helpers.append(server)
    with os.fdopen(read_end) as number:
        name = ":" + number.readline().strip()
    if name == ":":
        log.seek(0)
        print(f"Xvfb did not start (status {server.poll()}):", log.read().decode(errors="replace"))
        return None
    return name


def start_desktop(helpers, size="1024x768x24", tries=2):
    """Starts a private Xvfb managed by openbox, appends both to helpers, and gives the display
    name (":N"), or None. A failed try is stopped and made again on a fresh display: a server can
    lose a race for its display with another test's, and a loaded machine can keep a window
    manager from coming up; openbox's own words are printed when it fails."""
    for _ in range(tries):
        started = []
        name = start_xvfb(started, size=size)
        if name:
            env = dict(os.environ, DISPLAY=name)
            with tempfile.TemporaryFile() as log:
                openbox = start(["openbox"], env=env, stdout=log, stderr=subprocess.STDOUT)
                started.append(openbox)
                if wait_for(lambda: openbox.poll() is not None or "window id" in
                            output("xprop", "-root", "_NET_SUPPORTING_WM_CHECK", env=env, timeout=5),
                            15, 0.05, f"openbox to manage the screen {name}") and openbox.poll() is None:
                    helpers.extend(started)
                    return name
                log.seek(0)
                print(f"openbox on {name} (status {openbox.poll()}):", log.read().decode(errors="replace"),
                      flush=True)
        for helper in reversed(started):
            stop(helper)
    return None


def screenshot(path, env=None):
    """The whole private screen as a PNG, for a person to look at."""
    pathlib.Path(path).parent.mkdir(parents=True, exist_ok=True)
    run(["import", "-window", "root", path], env=env, check_status=True)

