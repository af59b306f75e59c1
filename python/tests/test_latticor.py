"""The binding: results equal to latticor-cli's files, arrays in every layout, errors raised as
Python exceptions. The core's own behaviour is tested in tests/."""
import csv
import resource
import subprocess
import sys
import warnings

import numpy as np
import pytest

import latticor
from conftest import cli


def csv_columns(path):
    with open(path, newline="") as f:
        rows = list(csv.DictReader(f))
    return {k: np.array([float(r[k]) if r[k] else np.nan for r in rows]) for k in rows[0]}


def test_results_equal_the_command_lines_files(pair):
    d = pair
    measured = {}
    for name in "ab":
        cli("segment", d / f"{name}.bmp", d / f"{name}-seg.bmp")
        cli("encode", d / f"{name}-seg.bmp", d / f"{name}.cod", "--centroid", "refined",
            "--picture", d / f"{name}.bmp")
        picture = latticor.read_picture(d / f"{name}.bmp")
        segmented = latticor.segment(picture)
        assert np.array_equal(segmented, latticor.read_picture(d / f"{name}-seg.bmp"))
        m = latticor.measure(picture, name=f"{name}-seg.bmp")
        m.to_code_file(d / f"{name}-py.cod")
        assert (d / f"{name}-py.cod").read_bytes() == (d / f"{name}.cod").read_bytes()
        assert m.indexed == len(m.x) == len(m) > 100 and m.dots >= m.indexed
        read = latticor.read_code_file(d / f"{name}.cod")
        assert np.array_equal(read.nx, m.nx) and np.allclose(read.x, m.x, atol=5e-4)
        measured[name] = m

    cli("match", d / "a.cod", d / "b.cod", d / "m.dat", "--layout", 6, "--csv", d / "m.csv")
    cli("strain", d / "a.cod", d / "b.cod", d / "s.csv")
    pairs = latticor.match(measured["a"], d / "b.cod")
    pairs.write_result(d / "m-py.dat", layout=6)
    pairs.to_csv(d / "m-py.csv")
    assert (d / "m-py.csv").read_bytes() == (d / "m.csv").read_bytes()
    # The displacement file names the path it was written to on its third line.
    dat = [(d / n).read_text().splitlines() for n in ("m.dat", "m-py.dat")]
    assert dat[0][:2] + dat[0][3:] == dat[1][:2] + dat[1][3:]
    expected = csv_columns(d / "m.csv")
    for column in ("nx", "ny", "x", "y", "dx", "dy"):
        assert np.allclose(getattr(pairs, column), expected[column], atol=5e-4, rtol=0)

    field = latticor.strain(measured["a"], measured["b"])
    field.to_csv(d / "s-py.csv")
    assert (d / "s-py.csv").read_bytes() == (d / "s.csv").read_bytes()
    expected = csv_columns(d / "s.csv")
    assert np.array_equal(field.has_strain, ~np.isnan(expected["exx"]))
    for column, decimals in (("x", 3), ("dx", 3), ("exx", 6), ("e1", 6), ("angle", 3)):
        assert np.allclose(getattr(field, column), expected[column], rtol=0,
                           atol=0.51 * 10**-decimals, equal_nan=True), column


def test_arrays_of_any_layout_give_the_same_measurement(pair):
    picture = latticor.read_picture(pair / "a.bmp")
    before = picture.copy()
    plain = latticor.measure(picture, centroid="plain")
    assert np.array_equal(picture, before)  # the caller's array is not touched
    wide = np.zeros((picture.shape[0], 2 * picture.shape[1]), np.uint8)
    wide[:, ::2] = picture
    fortran = np.asfortranarray(picture)
    words = picture.astype(np.uint16) * 257
    for other in (wide[:, ::2], fortran, words):
        m = latticor.measure(other, centroid="plain")
        assert np.array_equal(m.x, plain.x) and np.array_equal(m.ny, plain.ny)
    segmented = latticor.segment(picture)
    given = latticor.measure(picture, segmented, centroid="plain")
    assert np.array_equal(given.x, plain.x)
    assert not plain.x.flags.writeable


@pytest.mark.parametrize("call, error, text", [
    (lambda p: latticor.read_picture("/no/such.bmp"), latticor.Error, "not exists"),
    (lambda p: latticor.read_code_file(p / "a.bmp"), latticor.Error, "is not a code file!"),
    (lambda p: latticor.measure(np.zeros((50, 60), np.uint8)), latticor.Error, ""),
    (lambda p: latticor.segment(np.zeros((5, 5), np.float32)), TypeError, "uint8 or uint16"),
    (lambda p: latticor.segment(np.zeros((5, 5, 3), np.uint8)), ValueError, "2-D"),
    (lambda p: latticor.segment([[1, 2]]), TypeError, "numpy array"),
    (lambda p: latticor.segment(np.zeros((9, 9), np.uint8), threshold=9, window=3), latticor.Error,
     "threshold"),
    (lambda p: latticor.segment(np.zeros((9, 9), np.uint8), median=11), latticor.Error, "median"),
    (lambda p: latticor.measure(np.zeros((9, 9), np.uint8), least_area="big"), ValueError,
     "least_area"),
    (lambda p: latticor.measure(np.zeros((9, 9), np.uint8), scale=(float("nan"), 1)),
     ValueError, "scale"),
    (lambda p: latticor.measure(np.zeros((9, 9), np.uint8), pitch=(20, 20), origin=3),
     ValueError, "at most one"),
    (lambda p: latticor.measure(np.zeros((9, 9), np.uint8), np.zeros((9, 8), np.uint8)),
     ValueError, "shape"),
    (lambda p: latticor.match(p / "a.bmp", 3), latticor.Error, "not a code file"),
    (lambda p: latticor.strain(p / "a.bmp", p / "a.bmp", measure="big"), ValueError, "measure"),
    (lambda p: list(latticor.track([])), latticor.Error, "No picture"),
    (lambda p: list(latticor.track([p / "a.bmp"], bits16="deep")), ValueError, "bits16"),
])
def test_bad_arguments_raise_clear_exceptions(pair, call, error, text):
    with pytest.raises(error, match=text):
        call(pair)


def test_track_yields_the_rows_of_the_command_lines_summary(tmp_path):
    cli("synth-sequence", tmp_path / "seq", "--steps", 3, "--size", 200, 160, "--translate",
        12, 0, "--strain", 0.01, 0, 0)
    cli("track", tmp_path / "seq", "--out", tmp_path / "cli")
    with open(tmp_path / "cli" / "summary.csv", newline="") as f:
        rows = list(csv.DictReader(f))
    steps = list(latticor.track(tmp_path / "seq", jobs=1))
    assert [s.step for s in steps] == [0, 1, 2, 3] and all(s.good for s in steps)
    for row, step in zip(rows, steps):
        assert (row["picture"], int(row["pairs"]), int(row["lost"])) == \
            (step.picture, step.pairs, step.lost)
        assert float(row["exx"]) == pytest.approx(step.exx, rel=1e-6, abs=1e-12)
        assert float(row["rotation"]) == pytest.approx(step.rotation, rel=1e-6, abs=1e-12)
        assert row["registration"] == step.registration
        assert len(step.strain) == step.pairs
    expected = csv_columns(tmp_path / "cli" / "step-0003.csv")
    assert np.allclose(steps[3].strain.dx, expected["dx"], atol=5e-6)
    # An earlier run's results stay unless force; stopping early leaves complete steps.
    with pytest.raises(latticor.Error, match="earlier run"):
        latticor.track(tmp_path / "seq", tmp_path / "cli")
    with latticor.track(tmp_path / "seq", tmp_path / "cli", force=True) as run:
        first = next(run)
    assert first.step == 0 and first.strain is not None


def test_track_guards_its_folder_as_the_command_line_does(tmp_path):
    seq = tmp_path / "seq"
    cli("synth-sequence", seq, "--steps", 2, "--size", 200, 160, "--translate", 3, 0)
    # One run at a time into a folder, free again when the run is closed.
    with latticor.track(seq, tmp_path / "out", jobs=1) as run:
        with pytest.raises(latticor.Error, match="being written by another run"):
            latticor.track(seq, tmp_path / "out", force=True)
    assert not (tmp_path / "out" / ".latticor.lock").exists()
    # Its own plots beside the pictures are not taken for pictures of the sequence.
    assert len(list(latticor.track(seq, seq, plots=True))) == 3
    assert len(list(latticor.track(seq, seq, plots=True, force=True))) == 3
    # Steps whose files cannot be written fail the run after its last step (a file size limit
    # stands for a full disk; Python ignores SIGXFSZ).
    script = ("import latticor, sys\nsteps = list(latticor.track(sys.argv[1], sys.argv[2], "
              "jobs=1))")
    cli("synth-sequence", tmp_path / "long", "--steps", 30, "--size", 90, 90, "--translate", 2, -1)
    run = subprocess.run(
        [sys.executable, "-c", script, tmp_path / "long", tmp_path / "full"], capture_output=True,
        text=True, preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (2048, 2048)))
    written = len((tmp_path / "full" / "summary.csv").read_text().splitlines()) - 1
    assert 1 < written < 31
    assert run.returncode == 1, run.stderr
    assert f"{31 - written} of 31 steps could not be written" in run.stderr, run.stderr


def test_a_reference_gives_its_indices_whatever_the_motion(tmp_path):
    # The grid moved 3.3 pitches: its outline inside the frame tells the motion.
    cli("synth", tmp_path / "a.bmp", tmp_path / "b.bmp", tmp_path / "t.csv", "--size", 360, 240,
        "--grid", 9, 7, "--each-picture", "--translate", 66, 4)
    a = latticor.measure(latticor.read_picture(tmp_path / "a.bmp"))
    b = latticor.measure(latticor.read_picture(tmp_path / "b.bmp"), reference=a)
    assert "(66.0" in b.registration and len(b) == len(a) == 63
    with warnings.catch_warnings():  # indexed from one reference: nothing to warn of
        warnings.simplefilter("error")
        pairs = latticor.match(a, b)
    assert np.allclose(pairs.dx, 66, atol=0.3) and np.allclose(pairs.dy, -4, atol=0.3)
    b.to_code_file(tmp_path / "b.cod")
    latticor.read_code_file(tmp_path / "b.cod").to_code_file(tmp_path / "again.cod")
    assert (tmp_path / "again.cod").read_bytes() == (tmp_path / "b.cod").read_bytes()
    assert (tmp_path / "b.cod").read_bytes().startswith(b"VRKT-FS+ref:")
    # Nothing decides the motion of a grid that fills both pictures: refused, naming shift.
    cli("synth", tmp_path / "c.bmp", tmp_path / "d.bmp", tmp_path / "u.csv", "--size", 200, 160,
        "--translate", 12, 0)
    c = latticor.measure(latticor.read_picture(tmp_path / "c.bmp"))
    with pytest.raises(latticor.Error, match="shift="):
        latticor.measure(latticor.read_picture(tmp_path / "d.bmp"), reference=c)
    given = latticor.measure(latticor.read_picture(tmp_path / "d.bmp"), reference=c, shift=(12, 0))
    assert np.allclose(latticor.match(c, given).dx, 12, atol=0.3)
