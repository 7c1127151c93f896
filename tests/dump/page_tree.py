"""Trees of many works for the review page's scale test and benchmark: every
work's sheet and recordings are hard links to a few real files, so that a
tree of 100,000 works costs seconds and no space. Works are spread over
schools and classes as a region's exam would be."""
import errno
import os
import shutil
import subprocess


def make_sheet(sheet_tool, path):
    fields = [a for n in ("a1", "a2", "a3", "a4", "a5", "a6") for a in ("-f", f"{n}:String:200")]
    subprocess.run([sheet_tool, "-o", path, "-f", "VarNo:String:5", *fields, "-r", "3",
                    "went", "", "", "have been", "C", "B"], check=True)


def make_recordings(folder, lengths):
    """Russian speech of the given lengths in seconds (espeak-ng, sox, oggenc
    -q 3 at 44.1 kHz mono, as a station records): FOLDER/<length>.ogg."""
    os.makedirs(folder, exist_ok=True)
    speech = os.path.join(folder, "speech.wav")
    if not os.path.exists(speech):
        subprocess.run(["espeak-ng", "-v", "ru", "-s", "150", "-w", speech,
                        "Меня зовут Анна. Я живу в Москве и учусь в седьмом классе. "
                        "Летом я люблю читать книги и гулять с друзьями."], check=True)
    files = []
    for length in lengths:
        ogg = os.path.join(folder, f"{length}.ogg")
        if not os.path.exists(ogg):
            wav = os.path.join(folder, f"{length}.wav")
            subprocess.run(["sox", speech, "-r", "44100", wav, "repeat", str(int(length) // 3 + 1),
                            "trim", "0", str(length)], check=True)
            subprocess.run(["oggenc", "-Q", "-q", "3", wav, "-o", ogg], check=True)
            os.remove(wav)
        files.append(ogg)
    return files


class Linker:
    """Hard links to one file; a file system's limit of links per file
    (65,000 on ext4) is met with a fresh copy beside the tree."""

    def __init__(self, source, spare_folder):
        self.source, self.current, self.spare_folder, self.copies = source, source, spare_folder, 0

    def link(self, path):
        try:
            os.link(self.current, path)
        except OSError as e:
            if e.errno != errno.EMLINK:
                raise
            self.copies += 1
            os.makedirs(self.spare_folder, exist_ok=True)
            self.current = os.path.join(self.spare_folder,
                                        f"{self.copies}-{os.path.basename(self.source)}")
            shutil.copy(self.source, self.current)
            os.link(self.current, path)


def make_tree(root, works, sheet, recordings, per_class=25):
    """WORKS works below ROOT, IDs from 10000 on, 25 to a class folder and 20
    classes to a school; `recordings` are the _0, _2 and _3 files to link."""
    spare = root.rstrip("/") + ".links"
    sheet = Linker(sheet, spare)
    recordings = [Linker(r, spare) for r in recordings]
    ids = []
    made = None
    for i in range(works):
        work_id = f"{10000 + i:05d}" if i < 90000 else f"A{i - 90000:04d}"
        k = i // per_class % 20
        folder = os.path.join(root, f"Школа {i // (per_class * 20) + 1}", f"{5 + k % 5}{'АБВГ'[k // 5]}")
        if folder != made:
            os.makedirs(folder, exist_ok=True)
            made = folder
        sheet.link(os.path.join(folder, f"{work_id}_0.ans"))
        for suffix, rec in zip(("_0", "_2", "_3"), recordings):
            rec.link(os.path.join(folder, f"{work_id}{suffix}.ogg"))
        ids.append(work_id)
    return ids


def remove_tree(root):
    shutil.rmtree(root, ignore_errors=True)
    shutil.rmtree(root.rstrip("/") + ".links", ignore_errors=True)
