"""Test photos with colour profiles, and how far an output's colours are from a
colour-managed reference.

usage: /usr/bin/python3 colour_photos.py make TEST_PHOTO DIR
       /usr/bin/python3 colour_photos.py score SOURCE OUTPUT

make writes into DIR, from the program's test photo (Adobe RGB):
  adobe.jpg       a copy of the test photo
  adobe_srgb.jpg  the same photo turned into sRGB, untagged
  p3.jpg          the photo enlarged to 2560 x 1708 and turned into Display P3,
                  tagged with a P3 profile made by Little CMS's profile builder
  p3_srgb.jpg     the same enlarged photo turned into sRGB, untagged
all encoded like the test photo: JPEG quality 96, no chroma subsampling; and
  p3.heic, p3.avif  p3.jpg encoded by heif-enc (quality 90), its profile kept
                    as the file's colr box, as a phone writes Display P3

score prints the mean and 95th percentile CIEDE2000 difference between OUTPUT
and the reference: SOURCE turned into sRGB through its embedded profile
(perceptual intent; untagged sources are sRGB already), then Lanczos-resized
to OUTPUT's exact size.
"""
import ctypes
import ctypes.util
import io
import os
import shutil
import subprocess
import sys

import numpy as np
from PIL import Image, ImageCms
from skimage.color import deltaE_ciede2000, rgb2lab

SRGB = ImageCms.createProfile("sRGB")
PERCEPTUAL = ImageCms.Intent.PERCEPTUAL


class XyY(ctypes.Structure):
    _fields_ = [("x", ctypes.c_double), ("y", ctypes.c_double), ("Y", ctypes.c_double)]


def display_p3_profile():
    """Display P3: DCI-P3 primaries, D65 white and the sRGB curve, built by
    Little CMS (cmsCreateRGBProfile) and saved as ICC bytes."""
    lcms = ctypes.CDLL(ctypes.util.find_library("lcms2"))
    lcms.cmsBuildParametricToneCurve.restype = ctypes.c_void_p
    lcms.cmsBuildParametricToneCurve.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.POINTER(ctypes.c_double)]
    lcms.cmsCreateRGBProfile.restype = ctypes.c_void_p
    lcms.cmsCreateRGBProfile.argtypes = [ctypes.POINTER(XyY), ctypes.POINTER(XyY * 3), ctypes.POINTER(ctypes.c_void_p * 3)]
    lcms.cmsSaveProfileToMem.argtypes = [ctypes.c_void_p, ctypes.c_void_p, ctypes.POINTER(ctypes.c_uint32)]
    lcms.cmsCloseProfile.argtypes = [ctypes.c_void_p]
    # Type 4: Y = (aX + b)^g for X >= d, else cX: the sRGB curve.
    params = (ctypes.c_double * 5)(2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045)
    curve = lcms.cmsBuildParametricToneCurve(None, 4, params)
    white = XyY(0.3127, 0.3290, 1.0)
    primaries = (XyY * 3)(XyY(0.680, 0.320, 1.0), XyY(0.265, 0.690, 1.0), XyY(0.150, 0.060, 1.0))
    curves = (ctypes.c_void_p * 3)(curve, curve, curve)
    profile = lcms.cmsCreateRGBProfile(ctypes.byref(white), ctypes.byref(primaries), ctypes.byref(curves))
    size = ctypes.c_uint32(0)
    lcms.cmsSaveProfileToMem(profile, None, ctypes.byref(size))
    data = ctypes.create_string_buffer(size.value)
    lcms.cmsSaveProfileToMem(profile, data, ctypes.byref(size))
    lcms.cmsCloseProfile(profile)
    return data.raw[: size.value]


def to_srgb(image):
    icc = image.info.get("icc_profile")
    image = image.convert("RGB")
    if not icc:
        return image
    return ImageCms.profileToProfile(image, ImageCms.ImageCmsProfile(io.BytesIO(icc)), SRGB, renderingIntent=PERCEPTUAL)


def make(test_photo, out_dir):
    photo = Image.open(test_photo)
    adobe = ImageCms.ImageCmsProfile(io.BytesIO(photo.info["icc_profile"]))
    shutil.copyfile(test_photo, os.path.join(out_dir, "adobe.jpg"))
    to_srgb(photo).save(os.path.join(out_dir, "adobe_srgb.jpg"), quality=96, subsampling=0)
    big = photo.convert("RGB").resize((2560, 1708), Image.LANCZOS)
    big.info["icc_profile"] = photo.info["icc_profile"]
    p3_bytes = display_p3_profile()
    p3 = ImageCms.ImageCmsProfile(io.BytesIO(p3_bytes))
    ImageCms.profileToProfile(big, adobe, p3, renderingIntent=PERCEPTUAL).save(
        os.path.join(out_dir, "p3.jpg"), quality=96, subsampling=0, icc_profile=p3_bytes)
    to_srgb(big).save(os.path.join(out_dir, "p3_srgb.jpg"), quality=96, subsampling=0)
    for name in ("p3.heic", "p3.avif"):
        subprocess.run(["heif-enc", "-q", "90", "-o", os.path.join(out_dir, name), os.path.join(out_dir, "p3.jpg")],
                       check=True, stdout=subprocess.DEVNULL)


def score(source, output):
    out = Image.open(output).convert("RGB")
    reference = to_srgb(Image.open(source)).resize(out.size, Image.LANCZOS)
    delta = deltaE_ciede2000(rgb2lab(np.asarray(reference)), rgb2lab(np.asarray(out)))
    print(f"{delta.mean():.2f} {np.percentile(delta, 95):.2f}")


if __name__ == "__main__":
    if sys.argv[1] == "make":
        make(sys.argv[2], sys.argv[3])
    else:
        score(sys.argv[2], sys.argv[3])
