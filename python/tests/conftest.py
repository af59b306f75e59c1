"""Shared by the tests of the latticor module: the command line to compare with, and pictures it
makes. CTest sets LATTICOR_CLI and PYTHONPATH (python/CMakeLists.txt)."""
import os
import subprocess

import pytest


def cli(*args):
    """Runs latticor-cli; its standard error on failure."""
    run = subprocess.run([os.environ["LATTICOR_CLI"], *map(str, args)], capture_output=True,
                         text=True)
    assert run.returncode == 0, run.stderr
    return run


@pytest.fixture(scope="session")
def pair(tmp_path_factory):
    """An initial and a deformed picture of one grid, with noise, 1 % strain and a shift."""
    d = tmp_path_factory.mktemp("pair")
    cli("synth", d / "a.bmp", d / "b.bmp", d / "truth.csv", "--size", 260, 200, "--noise", 4,
        "--strain", 0.01, -0.005, 0.002, "--translate", 1.3, -0.7)
    return d
