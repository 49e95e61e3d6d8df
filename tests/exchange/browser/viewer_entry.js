// The test page's viewer: three.js and its glTF loader, bundled by esbuild when the test runs.
import * as THREE from 'three';
import { GLTFLoader } from 'three/examples/jsm/loaders/GLTFLoader.js';

// Parses a glTF file (its bytes) and draws it to fill the canvas, lit from the camera; resolves with the
// names of the meshes the loader made, once the frame is drawn.
window.viewGltf = (bytes) => new Promise((resolve, reject) => {
  new GLTFLoader().parse(bytes.buffer, '', (gltf) => {
    const canvas = document.getElementById('view');
    const renderer = new THREE.WebGLRenderer({ canvas, antialias: true, preserveDrawingBuffer: true });
    renderer.setSize(canvas.width, canvas.height, false);
    renderer.setClearColor(0xffffff);
    const scene = new THREE.Scene();
    scene.add(gltf.scene, new THREE.AmbientLight(0xffffff, 0.6));
    const box = new THREE.Box3().setFromObject(gltf.scene);
    const centre = box.getCenter(new THREE.Vector3());
    const radius = box.getSize(new THREE.Vector3()).length() / 2 || 1;
    const camera = new THREE.PerspectiveCamera(35, canvas.width / canvas.height, radius / 100, radius * 100);
    camera.position.copy(centre).add(new THREE.Vector3(1, -1.5, 1.2).normalize().multiplyScalar(radius * 3.2));
    camera.up.set(0, 0, 1);
    camera.lookAt(centre);
    const light = new THREE.DirectionalLight(0xffffff, 0.9);
    light.position.copy(camera.position);
    scene.add(light);
    renderer.render(scene, camera);
    const meshes = [];
    gltf.scene.traverse((o) => { if (o.isMesh || o.isLine || o.isPoints) meshes.push(o.name); });
    resolve(meshes);
  }, reject);
});
