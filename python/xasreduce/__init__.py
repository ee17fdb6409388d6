"""The reduction of X-ray absorption spectra, as the xasreduce program does it.

From a measured spectrum: the edge energy, the pre-edge line, the post-edge
background and the edge jump, the normalised absorption, the EXAFS signal
chi(k), its Fourier transform and the noise. The values are those the
program's result files hold, bit for bit.

    >>> import xasreduce
    >>> r = xasreduce.reduce_file("cu_foil.dat")
    >>> r.e0, r.jump
    >>> plt.plot(r.energy, r.normalised); plt.plot(r.r, r.ft)
    >>> r.write("results")          # the command line's files, byte for byte

reduce_file() reads a data file as the command line does (beamline formats,
the sample's channel found by the column names), reduce() takes arrays,
reduce_many() reduces a list of files on several threads. A spectrum that
cannot be reduced raises Refused, a ValueError, with the program's message.
summary() gives the command line's summary table of a series.
"""

from . import _xasreduce
from ._xasreduce import Result

__all__ = ["Refused", "Result", "reduce", "reduce_file", "reduce_many", "summary"]
__version__ = _xasreduce.version


class Refused(ValueError):
    """A spectrum that cannot be reduced: the program's message says why.

    `path` is the data file (or the name given to reduce()); `channel` the
    channel it was refused in, when one was chosen ("" otherwise).
    """

    def __init__(self, message, path=None, channel=""):
        super().__init__(message, path, channel)
        self.message = message
        self.path = path
        self.channel = channel

    def __str__(self):
        return self.message


# The reduction's options, by keyword: as the command line's options of the
# same names, each given as its text.
_OPTIONS = ("columns", "fluorescence", "ncol", "dspacing", "e0", "kmin", "kmax", "kweight",
            "dk", "rmax")


def _keywords(**given):
    items = []
    for name in _OPTIONS:
        value = given.get(name)
        if value is None:
            continue
        if name in ("columns", "fluorescence") and not isinstance(value, str):
            value = ",".join(str(item) for item in value)
        items.append((name, str(value)))
    return items


def _threads(threads):
    return 0 if threads is None else int(threads)


def reduce_file(path, columns=None, fluorescence=None, *, ncol=None, dspacing=None, e0=None,
                kmin=None, kmax=None, kweight=None, dk=None, rmax=None, threads=None):
    """Reduces the data file at `path` as the command line does.

    The file is read by the command line's rules: the beamline formats (XDI,
    spec, Epics scans, SSRL, CLS, KEK-PF, tables with a line of names), the
    sample's channel chosen by the column names and the data, or given:

    columns       [E, MU]: the energy and absorption columns, or [E, I0, I1]:
                  the absorption is ln(I0/I1). A column is a number from 1 or
                  a name the file uses ("energy", "i0"); also as "1,2".
    fluorescence  [E, IF, I0]: the absorption is IF/I0.
    ncol          the numbers read from each data line (default: those of
                  the table's first line).
    dspacing      the energy column holds the monochromator angle (degrees)
                  of a crystal of this lattice spacing (Angstrom).

    The reduction's parameters, each as the command line option of its name:

    e0            "smooth": the edge energy from the smoothed derivative (for
                  noisy data); a number: this edge energy (eV).
    kmin, kmax    the k window of the transform (1/Angstrom; default 2.5 to
                  the next-to-last point).
    kweight       the weight k^kweight of the transform (default 2).
    dk            the width of the window's tapers (default 0.5).
    rmax          the transform from 0 to rmax Angstrom (default 10).
    threads       threads of the transform (default: one per core).

    Returns a Result. Raises Refused (a ValueError) with the program's
    message when the file cannot be reduced, ValueError for an option that
    cannot be taken (the message names it).
    """
    items = _keywords(columns=columns, fluorescence=fluorescence, ncol=ncol, dspacing=dspacing,
                      e0=e0, kmin=kmin, kmax=kmax, kweight=kweight, dk=dk, rmax=rmax)
    return _xasreduce._reduce_file(str(path), items, _threads(threads))


def reduce(energy, mu, name="spectrum", *, e0=None, kmin=None, kmax=None, kweight=None, dk=None,
           rmax=None, threads=None):
    """Reduces a spectrum given as arrays: `energy` and `mu`, one value each point.

    The energies are in eV, or in keV: as the program reads a file, energies
    below 200 are taken as keV. The values are rounded to single precision as
    the program reads them, so that arrays read from a data file (numpy's
    loadtxt) give the result of reduce_file() on that file. `name` names the
    spectrum in its results (its base name when written).

    e0, kmin, kmax, kweight, dk, rmax and threads are those of reduce_file().

    Returns a Result. Raises Refused (a ValueError) when the spectrum cannot
    be reduced, ValueError when the arrays differ in length or are not
    one-dimensional.
    """
    items = _keywords(e0=e0, kmin=kmin, kmax=kmax, kweight=kweight, dk=dk, rmax=rmax)
    return _xasreduce._reduce(str(name), energy, mu, items, _threads(threads))


def reduce_many(paths, jobs=None, raise_errors=False, *, columns=None, fluorescence=None,
                ncol=None, dspacing=None, e0=None, kmin=None, kmax=None, kweight=None, dk=None,
                rmax=None):
    """Reduces every file of `paths`, several at once, as the command line does.

    jobs          files reduced at once (default: one per core); the work is
                  done on the program's threads, without Python's lock.
    raise_errors  False (default): a file that cannot be reduced gives its
                  Refused in its place in the list; True: the first refusal,
                  in the order of the paths, is raised once all are done.

    columns, fluorescence, ncol, dspacing, e0, kmin, kmax, kweight, dk and
    rmax are those of reduce_file(), for every file.

    Returns a list with a Result (or Refused) for each path, in their order.
    """
    items = _keywords(columns=columns, fluorescence=fluorescence, ncol=ncol, dspacing=dspacing,
                      e0=e0, kmin=kmin, kmax=kmax, kweight=kweight, dk=dk, rmax=rmax)
    paths = [str(p) for p in paths]
    out = _xasreduce._reduce_many(paths, items, 0 if jobs is None else int(jobs))
    results = [Refused(item[0], path, item[1]) if isinstance(item, tuple) else item
               for path, item in zip(paths, out)]
    if raise_errors:
        for item in results:
            if isinstance(item, Refused):
                raise item
    return results


def summary(items):
    """The command line's summary table of a series, as text.

    `items` holds a Result or a Refused for each spectrum, in order. The
    text is the command line's standard output for the same files: a header
    line and one tab-separated row each (file, status, channel, points,
    e0_eV, slope, jump, ewl_eV, hwl, noise, message). pandas reads it with
    pandas.read_csv(io.StringIO(text), sep="\\t").
    """
    rows = []
    for item in items:
        if isinstance(item, Refused):
            rows.append(("" if item.path is None else str(item.path), item.message,
                         item.channel))
        elif isinstance(item, Result):
            rows.append(item)
        else:
            raise TypeError("summary() takes Result and Refused items, not "
                            + type(item).__name__)
    return _xasreduce._summary(rows)
