"""What the package tests share: a package made by CPack from the build tree into a folder of
the test's own, so that a test run never touches the packages a developer made."""

import glob
import os
import subprocess


def make_package(cpack, build_dir, generator, out_dir, pattern):
    """Runs CPack with one generator; returns the path of the one package it made."""
    result = subprocess.run([cpack, "--config", os.path.join(build_dir, "CPackConfig.cmake"),
                             "-G", generator, "-B", out_dir],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300)
    if result.returncode != 0:
        raise AssertionError("cpack failed:\n" + result.stdout.decode(errors="replace"))
    made = glob.glob(os.path.join(out_dir, pattern))
    if len(made) != 1:
        raise AssertionError("expected one %s package in %s, found %s" % (generator, out_dir, made))
    return made[0]
