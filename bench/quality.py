"""Structural similarity of output pictures against a Lanczos reference.

usage: /usr/bin/python3 bench/quality.py REFERENCE_DIR OUTPUT_DIR
Each OUTPUT_DIR/<name> is compared with REFERENCE_DIR/<name>.png, which the
caller resized from the full source to the output's exact size. Prints the
mean SSIM over all pictures.
"""
import os
import sys

import numpy as np
from skimage.io import imread
from skimage.metrics import structural_similarity


def three_channels(picture):
    """A grey picture (vips keeps a grey photo grey) as three equal channels."""
    if picture.ndim == 2:
        picture = np.stack([picture] * 3, axis=-1)
    return picture[..., :3].astype(np.float64)


def main():
    ref_dir, out_dir = sys.argv[1], sys.argv[2]
    scores = []
    for name in sorted(os.listdir(out_dir)):
        ref_path = os.path.join(ref_dir, os.path.splitext(name)[0] + ".png")
        if not os.path.exists(ref_path):
            continue
        out, ref = (three_channels(imread(path)) for path in (os.path.join(out_dir, name), ref_path))
        if out.shape != ref.shape:
            print(f"size mismatch {name}: {out.shape} vs {ref.shape}", file=sys.stderr)
            continue
        scores.append(structural_similarity(ref, out, channel_axis=2, data_range=255))
    print(f"{np.mean(scores):.4f}" if scores else "nan")


if __name__ == "__main__":
    main()
