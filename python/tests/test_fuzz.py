"""Random arrays and options through the binding: every outcome is a result or a Python
exception, never a crash of the interpreter."""
import numpy as np

import latticor

EXPECTED = (latticor.Error, ValueError, TypeError, OverflowError)


def random_picture(rng):
    shape = tuple(int(n) for n in rng.integers(0, 40, size=rng.integers(1, 4)))
    dtype = rng.choice([np.uint8, np.uint16, np.int16, np.float64, bool])
    picture = (rng.random(shape) * 300).astype(dtype)
    if picture.ndim == 2 and rng.random() < 0.5:
        picture = picture[::2, ::-1]
    # Grids now and then, so that the later stages run too.
    if rng.random() < 0.3:
        y, x = np.mgrid[:rng.integers(40, 80), :rng.integers(40, 80)]
        picture = np.where((x % 8 < 3) & (y % 8 < 3), 200, 20).astype(np.uint8)
    return picture


VALUES = [0, 1, -1, 3, 11, 2**31, -2**40, 0.5, float("nan"), float("inf"), "auto", "robust", "x",
          None, (1, 1), (0, float("nan")), (-5, 2, 1, 0)]


def random_value(rng):
    return VALUES[rng.integers(len(VALUES))]


def test_random_arrays_and_options_raise_python_exceptions_only(tmp_path):
    rng = np.random.default_rng(7)
    options = ["black", "median", "window", "adjust", "threshold"]
    measure_options = ["least_area", "method", "max_nx", "max_ny", "scale", "pitch", "shift",
                       "centroid"]
    done = 0
    for _ in range(300):
        picture = random_picture(rng)
        chosen = {k: random_value(rng) for k in rng.choice(options, rng.integers(0, 3))}
        try:
            segmented = latticor.segment(picture, **chosen)
            assert segmented.shape == picture.shape and segmented.dtype == np.uint8
            more = {k: random_value(rng) for k in rng.choice(measure_options, rng.integers(0, 3))}
            m = latticor.measure(picture, segmented, **more)
            assert len(m.x) == m.indexed
            m.to_code_file(tmp_path / "f.cod")
            latticor.strain(m, latticor.read_code_file(tmp_path / "f.cod"))
            done += 1
        except EXPECTED:
            pass
    assert done > 0  # some inputs went all the way through
