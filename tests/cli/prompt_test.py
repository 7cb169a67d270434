"""pellam-gen at a terminal: it asks for the password and does not echo it.

    python3 prompt_test.py PELLAM_GEN STANDIN
"""

import json
import os
import pty
import select
import signal
import subprocess
import sys
import tempfile
import termios
import time
import unittest

PELLAM_GEN, STANDIN = sys.argv[1], sys.argv[2]
PASSWORD = "Typed#Secret9"


class Prompt(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp()
        fixture = os.path.join(self.folder, "fixture.json")
        with open(fixture, "w") as f:
            json.dump({"logins": {"sa": PASSWORD}, "databases": [{"name": "NOLK"}]}, f)
        self.server = subprocess.Popen([sys.executable, STANDIN, "--fixture", fixture],
                                       stdout=subprocess.PIPE, text=True)
        line = self.server.stdout.readline()
        self.host = "127.0.0.1," + line.rsplit(":", 1)[1].strip()

    def tearDown(self):
        self.server.terminate()
        self.server.wait()

    def test_the_password_is_asked_for_and_not_echoed(self):
        pid, fd = pty.fork()
        if pid == 0:
            os.execv(PELLAM_GEN, [PELLAM_GEN, "databases", "--host", self.host])
        seen = b""
        deadline = time.time() + 20
        answered = False
        while True:
            ready, _, _ = select.select([fd], [], [], max(0.0, deadline - time.time()))
            if not ready:
                os.kill(pid, signal.SIGKILL)
                break
            try:
                chunk = os.read(fd, 1024)
            except OSError:
                break
            if not chunk:
                break
            seen += chunk
            if not answered and "密码：".encode() in seen:
                # At once, as a fast typist or a script would.
                os.write(fd, (PASSWORD + "\n").encode())
                answered = True
        _, status = os.waitpid(pid, 0)
        text = seen.decode("utf-8", "replace")
        self.assertTrue(answered, text)
        self.assertEqual(os.waitstatus_to_exitcode(status), 0, text)
        self.assertIn("NOLK", text)
        self.assertNotIn(PASSWORD, text)

    def test_a_signal_at_the_prompt_gives_the_echo_back(self):
        for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
            pid, fd = pty.fork()
            if pid == 0:
                os.execv(PELLAM_GEN, [PELLAM_GEN, "databases", "--host", self.host])
            seen = b""
            deadline = time.time() + 20
            while "密码：".encode() not in seen and time.time() < deadline:
                ready, _, _ = select.select([fd], [], [], max(0.0, deadline - time.time()))
                if ready:
                    seen += os.read(fd, 1024)
            self.assertIn("密码：".encode(), seen)
            self.assertFalse(termios.tcgetattr(fd)[3] & termios.ECHO, "echo is off at the prompt")
            os.kill(pid, sig)
            _, status = os.waitpid(pid, 0)
            # Ended by the signal itself, with the echo back on.
            self.assertTrue(os.WIFSIGNALED(status), sig)
            self.assertEqual(os.WTERMSIG(status), sig)
            self.assertTrue(termios.tcgetattr(fd)[3] & termios.ECHO, sig)
            os.close(fd)

    def test_the_progress_at_a_terminal_counts_each_tree_apart(self):
        # A snapshot of two tables, a view and three procedures, generated
        # with standard error at a terminal: the procedures are counted as
        # procedures, never as views.
        snapshot = os.path.join(self.folder, "s.json")
        table = {"name": "T", "columns": [{"name": "a", "type": "int"}]}
        procedure = {"parameters": [{"name": "@x", "type": "int", "length": 4, "output": False,
                                     "precision": 10, "scale": 0}]}
        with open(snapshot, "w") as f:
            json.dump({"database": "D", "tables": [table, dict(table, name="U")],
                       "views": [dict(table, name="V")],
                       "procedures": [dict(procedure, name=n) for n in ("P1", "P2", "P3")]}, f)
        pid, fd = pty.fork()
        if pid == 0:
            os.execv(PELLAM_GEN, [PELLAM_GEN, "generate", "--procedures", "--schema", snapshot,
                                  "--output", os.path.join(self.folder, "out")])
        seen = b""
        while True:
            try:
                chunk = os.read(fd, 4096)
            except OSError:
                break
            if not chunk:
                break
            seen += chunk
        _, status = os.waitpid(pid, 0)
        text = seen.decode("utf-8", "replace")
        self.assertEqual(os.waitstatus_to_exitcode(status), 0, text)
        last = text.replace("\r\n", "\n").split("\r")[-1]
        self.assertIn("数据表 2/2  视图 1/1  存储过程 3/3", last)

    def test_no_password_on_an_empty_standard_input_is_a_usage_error(self):
        run = subprocess.run([PELLAM_GEN, "databases", "--host", self.host],
                             stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=20)
        self.assertEqual(run.returncode, 2, run.stderr)
        self.assertIn("没有密码：请用 --password-env 或从标准输入给出", run.stderr)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
