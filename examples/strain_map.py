"""Measure a synthetic pair of dot grid pictures, map exx over the initial picture, save the figure.

    PYTHONPATH=build/python python3 examples/strain_map.py [FIGURE.png]

Copy it into a notebook and put your own pictures in place of grid_picture (latticor.read_picture
reads bitmaps, PNG, TIFF, PGM and JPEG).
"""
import sys

import matplotlib

matplotlib.use("Agg")  # a file, no window
import matplotlib.pyplot as plt
import numpy as np

import latticor


def grid_picture(width, height, pitch, radius, exx):
    """Bright dots on a dark background, stretched by exx in x about the picture's centre. The
    grid ends three pitches inside the frame: its outline tells the motion from the reference,
    as a specimen's edges do in a photograph."""
    y, x = np.mgrid[:height, :width].astype(float)
    before = width / 2 + (x - width / 2) / (1 + exx)  # where each pixel was before the stretch
    distance = np.hypot(before % pitch - pitch / 2, y % pitch - pitch / 2)
    margin = 3 * pitch
    inside = (before >= margin) & (before < width - margin) & (y >= margin) & (y < height - margin)
    return (30 + 190 * inside * np.clip(radius + 0.5 - distance, 0, 1)).astype(np.uint8)


def main(figure):
    picture = grid_picture(640, 480, 16, 4, 0.0)
    initial = latticor.measure(picture)
    deformed = latticor.measure(grid_picture(640, 480, 16, 4, 0.01), reference=initial)
    field = latticor.strain(initial, deformed)
    # The strain frame has y up from the picture's bottom edge, as the extent puts the picture.
    plt.imshow(picture, cmap="gray", extent=(0, initial.width, 0, initial.height))
    plt.scatter(field.x, field.y, c=field.exx, s=10, cmap="viridis")
    plt.colorbar(label="exx")
    plt.title(f"exx, mean {np.nanmean(field.exx):.5f} over {len(field)} dots")
    plt.savefig(figure, dpi=120)
    print(f"{len(field)} dots, mean exx {np.nanmean(field.exx):.5f}; figure in {figure}")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "exx.png")
