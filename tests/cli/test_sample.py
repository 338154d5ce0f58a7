"""The bundled sample message decodes to exactly what its generator put in."""
import importlib.util
import unittest

from cli_support import SOURCE_DIR, CliTestCase, run


def load_generator():
    location = importlib.util.spec_from_file_location("make_sample", SOURCE_DIR / "samples/make_sample.py")
    module = importlib.util.module_from_spec(location)
    location.loader.exec_module(module)
    return module


class SampleTest(CliTestCase):
    def test_bundled_sample_is_current(self):
        generator = load_generator()
        self.assertEqual((SOURCE_DIR / "samples/field-report.eml").read_bytes(), generator.message(),
                         "samples/field-report.eml differs from what make_sample.py writes")

    def test_sample_decodes_into_fresh_folder(self):
        generator = load_generator()
        out = self.dir / "out"
        result = run("decode", "-C", out, SOURCE_DIR / "samples/field-report.eml")
        self.assertExit(result, 0, "decode sample")
        self.assertEqual(result.stdout.decode().splitlines(),
                         [str(out / "tide-chart.png"), str(out / "readings.csv")])
        self.assertEqual((out / "tide-chart.png").read_bytes(), generator.png_chart())
        self.assertEqual((out / "readings.csv").read_bytes(), generator.readings_csv())


if __name__ == "__main__":
    unittest.main()
