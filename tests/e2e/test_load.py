"""A reveal on a busy machine: two processes spin for the whole run. Steps
may come late, but never sooner than their interval."""

import subprocess
import sys

from e2e_base import SessionTest, main, report
from reveal_checks import check_reveal, select_effect, watch_reveal
from tessaline_view import read_effect_tables

TABLES = read_effect_tables()


class LoadTest(SessionTest):
    def setUp(self):
        self.spinners = [
            subprocess.Popen([sys.executable, "-c", "while 1: pass"]) for _ in range(2)
        ]
        super().setUp()

    def tearDown(self):
        super().tearDown()
        for spinner in self.spinners:
            spinner.kill()
            spinner.wait()

    def test_revealUnderLoadHasNoEarlyStep(self):
        select_effect(self, self.app, 68)
        watcher, record = watch_reveal(self, self.app)
        for spinner in self.spinners:
            self.assertIsNone(spinner.poll(), "the load stopped during the run")
        summary = check_reveal(self, record, watcher, TABLES, 68, "reveal under load")
        report(
            "under load: lateness median %.3f ms, max %.3f ms; whole run %.1f ms (nominal 9950)"
            % (summary["median_late_ms"], summary["max_late_ms"], summary["run_ms"])
        )
        self.close_and_expect_clean_exit()


if __name__ == "__main__":
    main()
