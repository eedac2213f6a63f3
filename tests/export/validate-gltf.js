// Runs the Khronos glTF validator over files: one line per file, "NAME: N
// errors, N warnings", then its errors and warnings.
// Usage: node validate-gltf.js VALIDATOR_MODULE_DIR FILE...
const fs = require('fs');
const path = require('path');
const validator = require(process.argv[2]);

(async () => {
  for (const file of process.argv.slice(3)) {
    const report = await validator.validateBytes(new Uint8Array(fs.readFileSync(file)), {
      uri: path.basename(file),
      externalResourceFunction: (uri) => new Promise((resolve, reject) => {
        fs.readFile(path.join(path.dirname(file), decodeURIComponent(uri)),
                    (err, data) => err ? reject(err.toString()) : resolve(new Uint8Array(data)));
      }),
    });
    const issues = report.issues;
    console.log(`${path.basename(file)}: ${issues.numErrors} errors, ${issues.numWarnings} warnings`);
    for (const m of issues.messages)
      if (m.severity <= 1) console.log(`  ${m.code} ${m.pointer || ''}: ${m.message}`);
  }
})().catch((e) => { console.error(e); process.exit(2); });
