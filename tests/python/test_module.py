"""The bridge between the module and the program: the same values, the same
files, the refusals as exceptions, pickling, many files at once, the XDI files
read back by their names, and the Dask example. The reduction itself is
tested by the program's own tests."""

import filecmp
import inspect
import io
import os
import pickle
import subprocess
import sys

import numpy as np
import pandas as pd
import pytest

import xasreduce

PROGRAM = os.environ["XAS_BINARY"]
EXAMPLES = os.environ["XAS_EXAMPLES"]
COPPER = os.path.join(EXAMPLES, "cu_foil.dat")
XDI = os.path.join(EXAMPLES, "beamlines", "FeO_rt_01.xdi")


def run_program(*args, cwd=None):
    return subprocess.run([PROGRAM, "-q", *args], cwd=cwd, capture_output=True, text=True)


@pytest.fixture(scope="module")
def copper():
    return xasreduce.reduce_file(COPPER)


def test_values_and_arrays_are_those_of_the_files(copper, tmp_path):
    summary = run_program("-o", str(tmp_path), COPPER).stdout.splitlines()
    row = dict(zip(summary[0].split("\t"), summary[1].split("\t")))
    assert f"{copper.e0:.9g}" == f"{float(row['e0_eV']):.9g}"
    assert f"{copper.jump:.9g}" == f"{float(row['jump']):.9g}"
    assert copper.channel == row["channel"] and copper.points == int(row["points"])
    # The .gexa rows: k (F6.3) and chi (F8.5) as printed from the arrays.
    rows = [line.split() for line in open(tmp_path / "cu_foil.gexa") if "#" not in line]
    assert [r[0] for r in rows] == [f"{k:.3f}" for k in copper.k]
    assert [r[1] for r in rows] == [f"{c:.5f}" for c in copper.chi]
    rows = [line.split() for line in open(tmp_path / "cu_foil.gfou") if "#" not in line]
    assert [r[1] for r in rows] == [f"{f:.5f}" for f in copper.ft]
    assert copper.energy.dtype == np.float32 and not copper.chi.flags.writeable
    assert len(copper.energy) == len(copper.mu) == len(copper.normalised) == copper.points


@pytest.mark.parametrize("path,options", [(COPPER, ["-t", "--xdi"]), (XDI, ["--xdi"])])
def test_write_gives_the_command_lines_files(path, options, tmp_path):
    result = xasreduce.reduce_file(path)
    written = result.write(str(tmp_path / "module"), topdrawer="-t" in options, xdi=True)
    run_program(*options, "-o", str(tmp_path / "cli"), path)
    names = sorted(os.listdir(tmp_path / "cli"))
    assert sorted(os.path.basename(p) for p in written) == names
    match, mismatch, errors = filecmp.cmpfiles(tmp_path / "module", tmp_path / "cli", names,
                                               shallow=False)
    assert mismatch == [] and errors == []


def test_arrays_from_loadtxt_give_the_files_result(copper):
    table = np.loadtxt(COPPER)
    result = xasreduce.reduce(table[:, 0], table[:, 1], name="cu_foil")
    for name in ("e0", "jump", "slope", "noise"):
        assert getattr(result, name) == getattr(copper, name)
    for name in ("energy", "chi", "ft", "background"):
        assert np.array_equal(getattr(result, name), getattr(copper, name))
    in_kev = xasreduce.reduce(table[:, 0] / 1000.0, table[:, 1])
    assert abs(in_kev.e0 - copper.e0) < 0.01


def test_refusals_and_bad_options(tmp_path):
    two = tmp_path / "two.dat"
    two.write_text("8000 1\n8001 2\n")
    with pytest.raises(xasreduce.Refused) as refused:
        xasreduce.reduce_file(two)
    assert isinstance(refused.value, ValueError) and refused.value.path == str(two)
    assert "too few to locate an edge" in str(refused.value)
    cases = [
        (dict(kmin="abc"), "kmin takes a wave number"),
        (dict(kmin=8, kmax=4), "kmax must lie above kmin"),
        (dict(columns=[1, 2], fluorescence=[1, 2, 3]), "columns and fluorescence cannot"),
        (dict(e0="steep"), "e0 takes 'smooth' or an edge energy"),
    ]
    for options, message in cases:
        with pytest.raises(ValueError, match=message):
            xasreduce.reduce_file(COPPER, **options)
    with pytest.raises(ValueError, match="differ in length"):
        xasreduce.reduce([8000.0, 8001.0], [1.0])


def test_options_reach_the_reduction(copper):
    given = xasreduce.reduce_file(COPPER, e0=8980, kweight=3, rmax=6, columns="1,2")
    assert given.e0 == 8980.0 and len(given.r) == 300
    assert given.notes == ["edge energy given (--e0 8980.0 eV)"]
    assert not np.array_equal(given.ft[:300], copper.ft[:300])


def test_pickled_result_is_the_same(copper, tmp_path):
    copy = pickle.loads(pickle.dumps(copper))
    assert (copy.e0, copy.warnings, copy.path) == (copper.e0, copper.warnings, copper.path)
    for name in ("energy", "mu", "derivative", "normalised", "k", "chi", "r", "ft", "point_noise"):
        assert np.array_equal(getattr(copy, name), getattr(copper, name)), name
    copy.write(str(tmp_path / "a"), xdi=True)
    copper.write(str(tmp_path / "b"), xdi=True)
    names = sorted(os.listdir(tmp_path / "a"))
    assert filecmp.cmpfiles(tmp_path / "a", tmp_path / "b", names, shallow=False)[0] == names
    with pytest.raises(ValueError):
        pickle.loads(pickle.dumps(copper).replace(b"xasreduce-spectrum-1", b"xasreduce-spectrum-0"))


def test_reduce_many_keeps_order_and_refusals(copper, tmp_path):
    missing = str(tmp_path / "missing.dat")
    items = xasreduce.reduce_many([COPPER, missing, XDI], jobs=2)
    assert items[0].e0 == copper.e0 and items[2].channel == "ln(i0/itrans)"
    assert isinstance(items[1], xasreduce.Refused) and items[1].path == missing
    with pytest.raises(xasreduce.Refused, match="cannot open"):
        xasreduce.reduce_many([COPPER, missing], raise_errors=True)
    table = pd.read_csv(io.StringIO(xasreduce.summary(items)), sep="\t")
    assert list(table["status"]) == ["ok", "refused", "ok"]


def test_xdi_files_read_back_with_their_names(copper, tmp_path):
    copper.write(str(tmp_path), xdi=True)
    expected = {"cu_foil_norm.xdi": ["energy", "mu", "norm", "bkg", "dmude"],
                "cu_foil_chi.xdi": ["k", "chi", "chik2", "window"],
                "cu_foil_ft.xdi": ["r", "chir_mag"]}
    for name, labels in expected.items():
        path = tmp_path / name
        head = [line for line in open(path) if line.startswith("#")]
        assert head[0].startswith("# XDI/1.0 xasreduce/")
        table = pd.read_csv(path, sep=r"\s+", comment="#", names=head[-1][1:].split())
        assert list(table.columns) == labels
        arrays = np.genfromtxt(path, names=True, skip_header=len(head) - 1)
        assert list(arrays.dtype.names) == labels
    norm = np.genfromtxt(tmp_path / "cu_foil_norm.xdi", names=True, skip_header=16)
    assert np.array_equal(norm["energy"].astype(np.float32), copper.energy)
    assert np.array_equal(norm["norm"].astype(np.float32), copper.normalised)


def test_help_names_every_parameter():
    for function in (xasreduce.reduce, xasreduce.reduce_file, xasreduce.reduce_many):
        for name in inspect.signature(function).parameters:
            assert name in function.__doc__, (function.__name__, name)


def test_dask_example_prints_the_command_lines_summary(tmp_path):
    two = tmp_path / "two.dat"
    two.write_text("8000 1\n8001 2\n")
    files = [COPPER, str(two), XDI]
    example = os.path.join(EXAMPLES, "dask_series.py")
    dask = subprocess.run([sys.executable, example, "--workers", "2", *files],
                          capture_output=True, text=True, timeout=120)
    program = run_program("-o", str(tmp_path), *files)
    assert dask.returncode == program.returncode == 1
    assert dask.stdout == program.stdout
